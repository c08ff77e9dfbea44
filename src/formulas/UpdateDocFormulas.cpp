// Carrying a code change into the model's report documents.
//
// Every document listed for the model is found in the documents folder and planned (read, held
// against other updates, checked for read-only, every field scanned and every edit checked) before
// the first one is rewritten; then the documents with changes are rewritten and put in place
// together (see formulas/DocumentUpdate.h). So a read-only or damaged document, or a field that
// cannot be rewritten, stops the update before anything is written; only a failure while the new
// files are written (a disk full) can leave the documents staged before it rewritten. The error
// goes to the caller with its number and source and the update's context in front of its
// description.
//
// A listed name may lead into subfolders of the documents folder, with "/" or "\\" (a list
// kept by a host on another system) between the folders; a name that leads out of it (absolute,
// "..", a link to a file outside) is refused, and so is a documents folder with no application
// path or no folder name, which would be the file system's root.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "data/Recordset.h"
#include "formulas/DocumentProgress.h"
#include "formulas/DocumentUpdate.h"
#include "record/Statements.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>

#include <QFileInfo>
#include <QSet>

namespace K7X_DoruVevuzu {

namespace {

// The documents folder, from the host's values of the moment.
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

bool ctlIndici::UpdateDocFormulas(QString& OldIndice, QString& NewIndice) {
    refuseWhileWaiting();
    try {
        return updateDocuments(OldIndice, NewIndice);
    } catch (const ComponentGone&) {
        return false; // the host deleted the component while the progress window painted
    }
}

bool ctlIndici::updateDocuments(const QString& OldIndice, const QString& NewIndice) {
    try {
        data::Recordset list;
        list.setActiveConnection(global()->Database()->Connection());
        list.setCursorType(0);
        list.setLockType(1);
        const record::Statement statement = record::selectDocuments(mCodiceModello);
        list.Open(statement.sql, statement.values);

        DocumentProgress progress(this, 2 * list.RecordCount() + 1,
                                  [this](const std::function<void()>& paint) { waitFor(paint); });
        DocumentUpdate update(OldIndice, NewIndice,
                              [&progress](const QString& name, const documents::LockHolder& by) {
                                  progress.waiting(name, by.user, by.host);
                              });
        QSet<QString> seen; // two names may lead to one file
        for (; !list.Eof(); list.MoveNext()) {
            const QString name = list.Field(QStringLiteral("KX20_NOMEDOCUMENTO")).toString();
            progress.opening(name);
            const QString file = documentFile(*global(), name);
            if (file.isEmpty() || seen.contains(file))
                continue;
            seen.insert(file);
            update.plan(name, file);
        }
        update.write([&progress](const QString& name) { progress.rewriting(name); });
        progress.saving();
        update.commit();
        return true;
    } catch (const std::exception& caught) {
        const RuntimeError failure = failureOf(caught);
        throw RuntimeError(failure.number(), failure.source(),
                           QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n") +
                               failure.description());
    }
}

} // namespace K7X_DoruVevuzu
