#include "formulas/DocumentFiles.h"

#include "control/Errors.h"
#include "data/Runner.h"
#include "formulas/DocumentUpdate.h"
#include "record/Statements.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>

#include <QFileInfo>

namespace K7X_DoruVevuzu::formulas {

namespace {

[[noreturn]] void leadsOut(const QString& name) {
    fail(RuntimeError::ObjectError,
         QStringLiteral("Il nome di documento '%1' non è valido: deve indicare un file della "
                        "cartella dei documenti.")
             .arg(name),
         kUpdateSource);
}

// The file of a listed document, found in the documents folder or a subfolder of it, or ""
// when there is none.
QString documentFile(K7XBO_Global::CGlobal& global, const QString& name) {
    if (name.isEmpty())
        return {};
    QString relative = name;
    relative.replace(u'\\', u'/');
    if (relative.startsWith(u'/') || relative.contains(QChar(0)) ||
        relative.split(u'/').contains(QStringLiteral("..")))
        leadsOut(name);
    const QString folder = documentsFolder(global);
    const QFileInfo file(folder + u'/' + relative);
    if (!file.isFile())
        return {};
    const QString real = file.canonicalFilePath();
    if (!real.startsWith(QFileInfo(folder).canonicalFilePath() + u'/'))
        leadsOut(name);
    return real;
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

QString DocumentFiles::fileOf(const QString& name) {
    const QString file = documentFile(m_global, name);
    if (file.isEmpty() || m_found.contains(file))
        return {};
    m_found.insert(file);
    return file;
}

} // namespace K7X_DoruVevuzu::formulas
