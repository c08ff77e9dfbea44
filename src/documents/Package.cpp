#include "documents/Package.h"

#include "documents/AtomicFile.h"
#include "documents/DocumentError.h"

#include <QFile>

#include <zip.h>

#include <cerrno>
#include <sys/types.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

QString zipErrorText(int code) {
    switch (code) {
    case ZIP_ER_NOENT:
        return QStringLiteral("il file non esiste");
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
        return QStringLiteral("non è un archivio zip valido");
    case ZIP_ER_MEMORY:
        return QStringLiteral("memoria insufficiente");
    default:
        return QStringLiteral("il file non può essere letto");
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

// A libzip source that writes the new package straight into an open file, from its start.
// It reads as an empty file, so that libzip starts a new archive in it.
class FileSink {
public:
    explicit FileSink(int fd) : m_fd(fd) { zip_error_init(&m_error); }
    ~FileSink() { zip_error_fini(&m_error); }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    static zip_int64_t call(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<FileSink*>(self)->handle(data, length, command);
    }

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
                ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE,
                -1);
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
            return 0;
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t))
                return invalid();
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = 0;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_WRITE:
            return write(static_cast<const char*>(data), length);
        case ZIP_SOURCE_SEEK_WRITE: {
            if (length < sizeof(zip_source_args_seek_t))
                return invalid();
            const auto* seek = static_cast<const zip_source_args_seek_t*>(data);
            if (::lseek(m_fd, static_cast<off_t>(seek->offset), seek->whence) < 0)
                return failed(ZIP_ER_SEEK);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE: {
            const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
            return at < 0 ? failed(ZIP_ER_TELL) : static_cast<zip_int64_t>(at);
        }
        default:
            zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    zip_int64_t write(const char* data, zip_uint64_t length) {
        zip_uint64_t left = length;
        while (left > 0) {
            const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return failed(ZIP_ER_WRITE);
            data += written;
            left -= static_cast<zip_uint64_t>(written);
        }
        return static_cast<zip_int64_t>(length);
    }
    zip_int64_t invalid() {
        zip_error_set(&m_error, ZIP_ER_INVAL, 0);
        return -1;
    }
    zip_int64_t failed(int code) {
        zip_error_set(&m_error, code, errno);
        return -1;
    }

    int m_fd;
    zip_error_t m_error;
};

// Writes the new package into the temporary file as libzip closes the archive.
class PackageWriter {
public:
    PackageWriter(const QString& path, int fd) : m_path(path), m_sink(fd) {
        zip_error_init(&m_error);
        zip_source_t* target = zip_source_function_create(&FileSink::call, &m_sink, &m_error);
        m_archive = target ? zip_open_from_source(target, ZIP_TRUNCATE, &m_error) : nullptr;
        if (!m_archive) {
            if (target)
                zip_source_free(target);
            fail();
        }
    }
    ~PackageWriter() {
        if (m_archive)
            zip_discard(m_archive);
        zip_error_fini(&m_error);
    }
    PackageWriter(const PackageWriter&) = delete;
    PackageWriter& operator=(const PackageWriter&) = delete;

    // Start 0 and length -1: the entry's compressed bytes are taken over as they are, and
    // keeping its method tells libzip not to compress them again.
    void copy(zip_t* from, zip_uint64_t index, const char* name, zip_int32_t method) {
        add(name, zip_source_zip(m_archive, from, index, ZIP_FL_COMPRESSED, 0, -1), method);
    }
    void add(const char* name, const QByteArray& bytes) {
        add(name, zip_source_buffer(m_archive, bytes.constData(), bytes.size(), 0), ZIP_CM_DEFLATE);
    }

    void finish() {
        zip_t* archive = m_archive;
        m_archive = nullptr;
        if (zip_close(archive) != 0) {
            m_archive = archive;
            fail();
        }
    }

private:
    void add(const char* name, zip_source_t* source, zip_int32_t method) {
        const zip_int64_t index =
            source ? zip_file_add(m_archive, name, source, ZIP_FL_ENC_GUESS) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            fail();
        }
        if (zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), method, 0) != 0)
            fail();
    }
    [[noreturn]] void fail() {
        const char* detail = m_archive ? zip_strerror(m_archive) : zip_error_strerror(&m_error);
        documentFailure(DocumentFault::NotSaved,
                        QStringLiteral("Impossibile salvare il documento '%1': %2.")
                            .arg(displayName(m_path), QString::fromUtf8(detail)));
    }

    QString m_path;
    FileSink m_sink; // outlives the archive, which owns the source that calls it
    zip_error_t m_error;
    zip_t* m_archive = nullptr;
};

} // namespace

Package::Package(const QString& path) : m_path(path) {
    int error = 0;
    m_archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!m_archive)
        unreadable(path, zipErrorText(error));
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
    zip_file_t* file = zip_fopen_index(m_archive, stat.index, 0);
    if (!file)
        damagedPart(m_path, part, QStringLiteral("è danneggiata"));
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, bytes.data(), stat.size);
    char extra = 0;
    const zip_int64_t beyond =
        got == static_cast<zip_int64_t>(stat.size) ? zip_fread(file, &extra, 1) : -1;
    zip_fclose(file);
    if (beyond != 0)
        damagedPart(m_path, part, QStringLiteral("è danneggiata"));
    return bytes;
}

void Package::save(const std::map<QString, QByteArray>& replacedParts) const {
    AtomicFile target(m_path);
    PackageWriter writer(m_path, target.descriptor());
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(m_archive, index, ZIP_FL_ENC_RAW);
        zip_stat_t stat;
        if (!name || zip_stat_index(m_archive, index, 0, &stat) != 0)
            unreadable(m_path, QStringLiteral("l'elenco delle parti è danneggiato"));
        const auto replaced = replacedParts.find(QString::fromUtf8(name));
        if (replaced == replacedParts.end())
            writer.copy(m_archive, index, name, static_cast<zip_int32_t>(stat.comp_method));
        else
            writer.add(name, replaced->second);
    }
    writer.finish();
    target.commit();
}

} // namespace K7X_DoruVevuzu::documents
