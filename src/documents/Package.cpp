#include "documents/Package.h"

#include "documents/Descriptor.h"
#include "documents/DocumentError.h"
#include "documents/Place.h"

#include <algorithm>
#include <memory>

#include <libdeflate.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace K7X_DoruVevuzu::documents {

namespace {

// Why an archive does not open; the system's own reason where it had one.
QString zipErrorText(int code, int systemError) {
    switch (code) {
    case ZIP_ER_NOENT:
        return QStringLiteral("il file non esiste");
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
        return QStringLiteral("non è un archivio zip valido");
    case ZIP_ER_MEMORY:
        return QStringLiteral("memoria insufficiente");
    default:
        return systemError ? QStringLiteral("il file non può essere letto (%1)")
                                 .arg(QString::fromLocal8Bit(std::strerror(systemError)))
                           : QStringLiteral("il file non può essere letto");
    }
}

[[noreturn]] void unreadable(const QString& path, const QString& why) {
    documentFailure(DocumentFault::Unreadable, QStringLiteral("Impossibile aprire il documento "
                                                              "'%1': %2.")
                                                   .arg(displayName(path), why));
}

[[noreturn]] void damagedPart(const QString& path, const QString& part, const QString& why) {
    unreadable(path, QStringLiteral("la parte '%1' %2").arg(part, why));
}

// The directory's entry of `part`, its size within kMaxPartSize.
zip_stat_t checkedStat(zip_t* archive, const QString& path, const QString& part) {
    zip_stat_t stat;
    if (zip_stat(archive, part.toUtf8().constData(), 0, &stat) != 0)
        damagedPart(path, part, QStringLiteral("manca"));
    if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > Package::kMaxPartSize)
        damagedPart(path, part,
                    QStringLiteral("supera il limite di %1 MiB").arg(Package::kMaxPartSize >> 20));
    return stat;
}

// This thread's compressor and decompressor, made on first use and kept for its life: each
// holds tables that cost more to make than a small part takes to pass through them.
libdeflate_compressor* compressor() {
    thread_local const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>
        made(libdeflate_alloc_compressor(Package::kDeflateLevel), libdeflate_free_compressor);
    return made.get();
}
libdeflate_decompressor* decompressor() {
    thread_local const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>
        made(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    return made.get();
}

// A part deflated here, handed to libzip as its own copies hand over an entry's compressed bytes:
// the stat gives method, sizes and checksum, so libzip writes the bytes as they are.
class DeflatedPart {
public:
    // Empty when no memory could be had for it.
    static zip_source_t* source(zip_t* archive, const QByteArray& content) {
        libdeflate_compressor* deflater = compressor();
        if (!deflater)
            return nullptr;
        auto part = std::make_unique<DeflatedPart>();
        const auto size = static_cast<size_t>(content.size());
        part->m_bytes.resize(
            static_cast<qsizetype>(libdeflate_deflate_compress_bound(deflater, size)));
        part->m_bytes.truncate(static_cast<qsizetype>(
            libdeflate_deflate_compress(deflater, content.constData(), size, part->m_bytes.data(),
                                        static_cast<size_t>(part->m_bytes.size()))));
        part->m_bytes.squeeze(); // the bound is several times what real markup deflates to
        part->m_size = size;
        part->m_crc = libdeflate_crc32(0, content.constData(), size);
        zip_source_t* made = zip_source_function(archive, callback, part.get());
        if (made)
            part.release(); // the source frees it
        return made;
    }

private:
    static zip_int64_t callback(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        auto* part = static_cast<DeflatedPart*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            part->m_read = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const auto left = static_cast<zip_uint64_t>(part->m_bytes.size() - part->m_read);
            const auto count = static_cast<qsizetype>(std::min(length, left));
            std::memcpy(data, part->m_bytes.constData() + part->m_read, count);
            part->m_read += count;
            return count;
        }
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &part->m_error);
            if (!stat)
                return -1;
            zip_stat_init(stat);
            stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC |
                          ZIP_STAT_ENCRYPTION_METHOD;
            stat->size = part->m_size;
            stat->comp_size = static_cast<zip_uint64_t>(part->m_bytes.size());
            stat->comp_method = ZIP_CM_DEFLATE;
            stat->encryption_method = ZIP_EM_NONE;
            stat->crc = part->m_crc;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&part->m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete part;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_CLOSE:
            return 0;
        default:
            zip_error_set(&part->m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    QByteArray m_bytes; // deflated
    std::uint64_t m_size = 0;
    std::uint32_t m_crc = 0;
    qsizetype m_read = 0;
    zip_error_t m_error{};
};

// Builds the new package in memory as libzip closes the archive; the file is written in
// one piece afterwards.
class PackageWriter {
public:
    explicit PackageWriter(const QString& path) : m_path(path) {
        zip_error_init(&m_error);
        m_target = zip_source_buffer_create(nullptr, 0, 0, &m_error);
        if (m_target)
            m_archive = zip_open_from_source(m_target, ZIP_TRUNCATE, &m_error);
        if (!m_archive) { // the source, not taken by an archive, is ours alone to free
            const QString detail = QString::fromUtf8(zip_error_strerror(&m_error));
            release();
            fail(detail);
        }
        zip_source_keep(m_target); // it outlives the archive, which closes into it
    }
    ~PackageWriter() { release(); }
    PackageWriter(const PackageWriter&) = delete;
    PackageWriter& operator=(const PackageWriter&) = delete;

    // Start 0 and length -1: the entry's compressed bytes are taken over as they are, and
    // keeping its method tells libzip not to compress them again.
    void copy(zip_t* from, zip_uint64_t index, const char* name, zip_int32_t method) {
        add(name, zip_source_zip(m_archive, from, index, ZIP_FL_COMPRESSED, 0, -1), method, 0);
    }
    void add(const char* name, const QByteArray& bytes) {
        add(name, DeflatedPart::source(m_archive, bytes), ZIP_CM_DEFLATE, 0);
    }

    QByteArray finish() {
        if (zip_close(m_archive) != 0)
            fail();
        m_archive = nullptr;
        zip_stat_t stat;
        if (zip_source_open(m_target) != 0)
            fail();
        QByteArray bytes;
        if (zip_source_stat(m_target, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
            bytes.resize(static_cast<qsizetype>(stat.size));
            if (zip_source_read(m_target, bytes.data(), stat.size) !=
                static_cast<zip_int64_t>(stat.size))
                bytes.clear();
        }
        zip_source_close(m_target);
        if (bytes.isEmpty())
            fail();
        return bytes;
    }

private:
    void add(const char* name, zip_source_t* source, zip_int32_t method, int level) {
        const zip_int64_t index =
            source ? zip_file_add(m_archive, name, source, ZIP_FL_ENC_GUESS) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            fail();
        }
        if (zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), method,
                                     static_cast<zip_uint32_t>(level)) != 0)
            fail();
    }
    void release() {
        if (m_archive)
            zip_discard(m_archive);
        if (m_target)
            zip_source_free(m_target);
        zip_error_fini(&m_error);
    }
    [[noreturn]] void fail() {
        fail(QString::fromUtf8(m_archive ? zip_strerror(m_archive)
                                         : zip_error_strerror(zip_source_error(m_target))));
    }
    [[noreturn]] void fail(const QString& detail) const {
        documentFailure(DocumentFault::NotSaved,
                        QStringLiteral("Impossibile salvare il documento '%1': %2.")
                            .arg(displayName(m_path), detail));
    }

    QString m_path;
    zip_error_t m_error;
    zip_source_t* m_target = nullptr;
    zip_t* m_archive = nullptr;
};

} // namespace

Package::Package(const Place& place) : m_path(place.path) {
    const Descriptor folder(place.openFolder());
    Descriptor file(folder.get() < 0 ? -1
                                     : ::openat(folder.get(), place.name.constData(),
                                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const bool opened = file.get() >= 0 && ::fstat(file.get(), &m_status) == 0;
    const int openError = errno;
    if (!opened && openError != ELOOP)
        unreadable(m_path,
                   zipErrorText(openError == ENOENT ? ZIP_ER_NOENT : ZIP_ER_OPEN, openError));
    if (!opened || !S_ISREG(m_status.st_mode))
        unreadable(m_path, QStringLiteral("non è un file normale (è un collegamento, una pipe, un "
                                          "dispositivo o una cartella)"));
    m_fileSize = static_cast<std::uint64_t>(m_status.st_size);
    int error = 0;
    errno = 0;
    m_archive = zip_fdopen(file.get(), 0, &error);
    if (!m_archive)
        unreadable(m_path, zipErrorText(error, errno));
    file.release(); // the archive's now
}

Package::~Package() {
    zip_discard(m_archive);
}

bool Package::contains(const QString& part) const {
    return zip_name_locate(m_archive, part.toUtf8().constData(), 0) >= 0;
}

std::uint64_t Package::sizeOf(const QString& part) const {
    return checkedStat(m_archive, m_path, part).size;
}

QByteArray Package::read(const QString& part) const {
    const zip_stat_t stat = checkedStat(m_archive, m_path, part);
    const std::uint64_t compressed =
        std::min(stat.valid & ZIP_STAT_COMP_SIZE ? stat.comp_size : m_fileSize, m_fileSize);
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_DEFLATE &&
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method == ZIP_EM_NONE &&
        (stat.valid & ZIP_STAT_CRC)) {
        if (!inflated(stat.index, compressed, stat.crc, bytes))
            damagedPart(m_path, part, QStringLiteral("è danneggiata"));
        return bytes;
    }
    zip_file_t* file = zip_fopen_index(m_archive, stat.index, 0);
    if (!file)
        damagedPart(m_path, part, QStringLiteral("è danneggiata"));
    const zip_int64_t got = zip_fread(file, bytes.data(), stat.size);
    char extra = 0;
    const zip_int64_t beyond =
        got == static_cast<zip_int64_t>(stat.size) ? zip_fread(file, &extra, 1) : -1;
    zip_fclose(file);
    if (beyond != 0)
        damagedPart(m_path, part, QStringLiteral("è danneggiata"));
    return bytes;
}

bool Package::inflated(std::uint64_t index, std::uint64_t compressed, std::uint32_t crc,
                       QByteArray& bytes) const {
    libdeflate_decompressor* inflater = decompressor();
    QByteArray deflated(static_cast<qsizetype>(compressed), Qt::Uninitialized);
    zip_file_t* file = inflater ? zip_fopen_index(m_archive, index, ZIP_FL_COMPRESSED) : nullptr;
    if (!file)
        return false;
    const zip_int64_t got = zip_fread(file, deflated.data(), compressed);
    zip_fclose(file);
    // Without a place for the count inflated, anything but exactly `bytes.size()` fails.
    return got == static_cast<zip_int64_t>(compressed) &&
           libdeflate_deflate_decompress(inflater, deflated.constData(), deflated.size(),
                                         bytes.data(), static_cast<size_t>(bytes.size()),
                                         nullptr) == LIBDEFLATE_SUCCESS &&
           libdeflate_crc32(0, bytes.constData(), static_cast<size_t>(bytes.size())) == crc;
}

QByteArray Package::rewritten(const std::map<QString, QByteArray>& replacedParts) const {
    PackageWriter writer(m_path);
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        // Written under the name as stored, looked up under the name as read (UTF-8, or
        // CP437 turned into UTF-8): contains() and read() see that one too.
        const char* name = zip_get_name(m_archive, index, ZIP_FL_ENC_RAW);
        const char* read = zip_get_name(m_archive, index, 0);
        zip_stat_t stat;
        if (!name || !read || zip_stat_index(m_archive, index, 0, &stat) != 0)
            unreadable(m_path, QStringLiteral("l'elenco delle parti è danneggiato"));
        const auto replaced = replacedParts.find(QString::fromUtf8(read));
        if (replaced == replacedParts.end())
            writer.copy(m_archive, index, name, static_cast<zip_int32_t>(stat.comp_method));
        else
            writer.add(name, replaced->second);
    }
    return writer.finish();
}

} // namespace K7X_DoruVevuzu::documents
