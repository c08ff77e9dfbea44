#include "documents/Package.h"

#include "documents/DocumentError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <zip.h>

#include <cerrno>
#include <cstring>

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
        add(name, zip_source_buffer(m_archive, bytes.constData(), bytes.size(), 0), ZIP_CM_DEFLATE,
            Package::kDeflateLevel);
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

Package::Package(const QString& path) : m_path(path) {
    int error = 0;
    errno = 0;
    m_archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!m_archive)
        unreadable(path, zipErrorText(error, errno));
    m_fileSize = static_cast<std::uint64_t>(QFileInfo(path).size());
}

Package::~Package() {
    zip_discard(m_archive);
}

bool Package::contains(const QString& part) const {
    return zip_name_locate(m_archive, part.toUtf8().constData(), 0) >= 0;
}

QByteArray Package::read(const QString& part) const {
    zip_stat_t stat;
    if (zip_stat(m_archive, part.toUtf8().constData(), 0, &stat) != 0)
        damagedPart(m_path, part, QStringLiteral("manca"));
    if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxPartSize)
        damagedPart(m_path, part,
                    QStringLiteral("supera il limite di %1 MiB").arg(kMaxPartSize >> 20));
    const std::uint64_t compressed =
        std::min(stat.valid & ZIP_STAT_COMP_SIZE ? stat.comp_size : m_fileSize, m_fileSize);
    if (stat.size > kRatioCheckedFrom && stat.size > kMaxCompressionRatio * compressed)
        damagedPart(m_path, part,
                    QStringLiteral("si espande oltre %1 volte la sua dimensione compressa")
                        .arg(kMaxCompressionRatio));
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
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
