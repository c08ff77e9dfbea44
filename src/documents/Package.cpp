#include "documents/Package.h"

#include "documents/Descriptor.h"
#include "documents/DocumentError.h"
#include "documents/Place.h"
#include "documents/Spares.h"

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

// This thread's decompressor, made on first use and kept for its life: it holds tables that
// cost more to make than a small part takes to pass through them.
libdeflate_decompressor* decompressor() {
    thread_local const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>
        made(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    return made.get();
}

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
    QByteArray bytes = Spares<QByteArray>::sized(static_cast<qsizetype>(stat.size));
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
    QByteArray deflated = Spares<QByteArray>::sized(static_cast<qsizetype>(compressed));
    zip_file_t* file = inflater ? zip_fopen_index(m_archive, index, ZIP_FL_COMPRESSED) : nullptr;
    if (!file)
        return false;
    const zip_int64_t got = zip_fread(file, deflated.data(), compressed);
    zip_fclose(file);
    // Without a place for the count inflated, anything but exactly `bytes.size()` fails.
    const bool whole =
        got == static_cast<zip_int64_t>(compressed) &&
        libdeflate_deflate_decompress(inflater, deflated.constData(), deflated.size(), bytes.data(),
                                      static_cast<size_t>(bytes.size()),
                                      nullptr) == LIBDEFLATE_SUCCESS &&
        libdeflate_crc32(0, bytes.constData(), static_cast<size_t>(bytes.size())) == crc;
    Spares<QByteArray>::give(std::move(deflated));
    return whole;
}

} // namespace K7X_DoruVevuzu::documents
