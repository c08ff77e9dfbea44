#include "documents/DeflatedPart.h"

#include "documents/Spares.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace K7X_DoruVevuzu::documents {

namespace {

// This thread's compressor, made on first use and kept for its life: its tables cost more to
// make than a small part takes to pass through them.
libdeflate_compressor* compressor() {
    thread_local const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>
        made(libdeflate_alloc_compressor(kDeflateLevel), libdeflate_free_compressor);
    return made.get();
}

// The deflated bytes and what libzip is told of them; freed by the source.
struct DeflatedPart {
    QByteArray bytes;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    qsizetype read = 0;
    zip_error_t error{};
};

zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* part = static_cast<DeflatedPart*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        part->read = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const auto left = static_cast<zip_uint64_t>(part->bytes.size() - part->read);
        const auto count = static_cast<qsizetype>(std::min(length, left));
        std::memcpy(data, part->bytes.constData() + part->read, static_cast<std::size_t>(count));
        part->read += count;
        return count;
    }
    case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &part->error);
        if (!stat)
            return -1;
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC |
                      ZIP_STAT_ENCRYPTION_METHOD;
        stat->size = part->size;
        stat->comp_size = static_cast<zip_uint64_t>(part->bytes.size());
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->encryption_method = ZIP_EM_NONE;
        stat->crc = part->crc;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&part->error, data, length);
    case ZIP_SOURCE_FREE:
        delete part;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    case ZIP_SOURCE_CLOSE:
        return 0;
    default:
        zip_error_set(&part->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

zip_source_t* deflatedSource(const QByteArray& content, zip_error_t* error) {
    libdeflate_compressor* deflater = compressor();
    if (!deflater) {
        zip_error_set(error, ZIP_ER_MEMORY, 0);
        return nullptr;
    }
    auto part = std::make_unique<DeflatedPart>();
    const auto size = static_cast<size_t>(content.size());
    const auto bound = static_cast<qsizetype>(libdeflate_deflate_compress_bound(deflater, size));
    QByteArray deflated = Spares<QByteArray>::sized(bound);
    const auto written = libdeflate_deflate_compress(deflater, content.constData(), size,
                                                     deflated.data(), static_cast<size_t>(bound));
    // Its own copy, of its size: it is written on another thread, and the bound is several times
    // what real markup deflates to.
    part->bytes = QByteArray(deflated.constData(), static_cast<qsizetype>(written));
    Spares<QByteArray>::give(std::move(deflated));
    part->size = size;
    part->crc = libdeflate_crc32(0, content.constData(), size);
    zip_source_t* made = zip_source_function_create(callback, part.get(), error);
    if (made)
        part.release(); // the source frees it
    return made;
}

} // namespace K7X_DoruVevuzu::documents
