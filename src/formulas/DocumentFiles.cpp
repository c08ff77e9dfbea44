#include "formulas/DocumentFiles.h"

#include "data/Runner.h"
#include "errors/Errors.h"
#include "formulas/DocumentUpdate.h"
#include "record/Statements.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>

#include "documents/Descriptor.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace K7X_DoruVevuzu::formulas {

namespace {

[[noreturn]] void leadsOut(const QString& name) {
    fail(RuntimeError::ObjectError,
         QStringLiteral("Il nome di documento '%1' non è valido: deve indicare un file della "
                        "cartella dei documenti.")
             .arg(name),
         kUpdateSource);
}

[[noreturn]] void noFile(const QString& name) {
    fail(RuntimeError::ObjectError,
         QStringLiteral("Il documento '%1' non è un file normale (è una pipe, un dispositivo o una "
                        "cartella): deve indicare un file della cartella dei documenti.")
             .arg(name),
         kUpdateSource);
}

} // namespace

QString documentsFolder(K7XBO_Global::CGlobal& global) {
    const QString application = global.HostApp()->property("Path").toString();
    const QString documents = K7XBO_Global::CDocFields::instance().DocFolder();
    if (application.isEmpty() || documents.isEmpty())
        fail(RuntimeError::ObjectError,
             QStringLiteral("La cartella dei documenti non è impostata: servono il percorso "
                            "dell'applicazione e il nome della cartella dei documenti."),
             kUpdateSource);
    return application + u'/' + documents;
}

QStringList listedDocuments(K7XBO_Global::CGlobal& global, const QString& model) {
    const record::Statement statement = record::selectDocuments(model);
    const data::Rows list =
        data::run(record::hostConnection(global), statement.sql, statement.values);
    QStringList names;
    for (int row = 0; row < list.count; ++row)
        names << list.at(row, 0).toString();
    return names;
}

std::optional<documents::Place> DocumentFiles::fileOf(const QString& name) {
    if (name.isEmpty())
        return std::nullopt;
    QString relative = name;
    relative.replace(u'\\', u'/');
    if (relative.startsWith(u'/') || relative.contains(QChar(0)) ||
        relative.split(u'/').contains(QStringLiteral("..")))
        leadsOut(name);
    if (!m_global)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il servizio dell'host è stato eliminato durante l'aggiornamento dei "
                            "documenti."),
             kUpdateSource);
    const QString folder = documentsFolder(*m_global);
    if (!m_open || folder != m_folder) {
        m_open = std::make_shared<const documents::OpenFolder>(folder);
        m_folder = folder;
    }
    const qsizetype slash = relative.lastIndexOf(u'/');
    documents::Place place{m_open, QFile::encodeName(relative.left(std::max<qsizetype>(slash, 0))),
                           QFile::encodeName(relative.mid(slash + 1)), folder + u'/' + relative};
    const documents::Descriptor at(
        m_open->fd() < 0 ? -1 : documents::walkDown(m_open->fd(), place.folder));
    if (at.get() < 0 && errno == ELOOP)
        leadsOut(name);
    struct stat in {
    }, status{};
    if (at.get() < 0 || ::fstat(at.get(), &in) != 0 ||
        ::fstatat(at.get(), place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (S_ISLNK(status.st_mode))
        leadsOut(name);
    if (!S_ISREG(status.st_mode))
        noFile(name);
    place.folderDevice = in.st_dev;
    place.folderInode = in.st_ino;
    if (!m_found.insert({status.st_dev, status.st_ino}).second)
        return std::nullopt;
    return place;
}

} // namespace K7X_DoruVevuzu::formulas
