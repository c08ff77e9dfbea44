#include "documents/NewPackage.h"

#include "documents/DeflatedPart.h"
#include "documents/DocumentError.h"
#include "documents/FileSink.h"
#include "documents/Package.h"

#include <zip.h>

namespace K7X_DoruVevuzu::documents {

namespace {

[[noreturn]] void uncopied(const QString& path, const QString& part, const char* why) {
    damagedPart(path, part,
                QStringLiteral("non può essere copiata (%1)").arg(QString::fromUtf8(why)));
}

} // namespace

NewPackage::NewPackage(std::shared_ptr<const Package> old,
                       const std::map<QString, QByteArray>& parts)
    : m_old(std::move(old)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = FileSink::source(m_sink, &error);
    m_archive = target ? zip_open_from_source(target, ZIP_TRUNCATE, &error) : nullptr;
    if (!m_archive) { // the source, not taken by an archive, is ours alone to free
        if (target)
            zip_source_free(target);
        const QString detail = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        notSaved(m_old->path(), detail);
    }
    zip_error_fini(&error);
    try {
        zip_t* from = m_old->m_archive;
        const zip_int64_t count = zip_get_num_entries(from, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const auto index = static_cast<zip_uint64_t>(i);
            // Written under the name as stored, looked up under the name as read (UTF-8, or
            // CP437 turned into UTF-8), as Package::read() looks parts up.
            const char* name = zip_get_name(from, index, ZIP_FL_ENC_RAW);
            const char* read = zip_get_name(from, index, 0);
            zip_stat_t stat;
            if (!name || !read || zip_stat_index(from, index, 0, &stat) != 0)
                uncopied(m_old->path(), QString::number(i), zip_strerror(from));
            const QString part = QString::fromUtf8(read);
            const auto replaced = parts.find(part);
            zip_error_t made;
            zip_error_init(&made);
            // Start 0 and length -1: the entry's compressed bytes are taken over as they are,
            // and keeping its method tells libzip not to compress them again.
            zip_source_t* source =
                replaced == parts.end()
                    ? zip_source_zip(m_archive, from, index, ZIP_FL_COMPRESSED, 0, -1)
                    : deflatedSource(replaced->second, &made);
            const zip_int64_t added =
                source ? zip_file_add(m_archive, name, source, ZIP_FL_ENC_GUESS) : -1;
            if (added < 0 && source)
                zip_source_free(source);
            const int method = replaced == parts.end() ? stat.comp_method : ZIP_CM_DEFLATE;
            if (added < 0 || zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(added),
                                                      method, 0) != 0)
                uncopied(m_old->path(), part,
                         replaced == parts.end() || source ? zip_strerror(m_archive)
                                                           : zip_error_strerror(&made));
            zip_error_fini(&made);
        }
    } catch (...) {
        zip_discard(m_archive);
        throw;
    }
}

NewPackage::~NewPackage() {
    if (m_archive)
        zip_discard(m_archive);
}

void NewPackage::writeTo(int fd) {
    if (!m_archive)
        notSaved(m_old->path(), QStringLiteral("il nuovo file è già stato scritto"));
    m_sink->setFile(fd);
    if (zip_close(m_archive) == 0) {
        m_archive = nullptr; // closed, and its sink freed with it
        return;
    }
    if (m_sink->writeError() != 0)
        notSaved(m_old->path(), m_sink->writeError());
    unreadable(m_old->path(), QStringLiteral("una parte non può essere copiata (%1)")
                                  .arg(QString::fromUtf8(zip_strerror(m_archive))));
}

} // namespace K7X_DoruVevuzu::documents
