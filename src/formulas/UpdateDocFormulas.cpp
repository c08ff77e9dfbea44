// Carrying a code change into the model's report documents.
//
// Every document listed for the model is opened (and checked for read-only) before the first
// one is rewritten; then each story of each document is scanned for formula fields, whose
// script is rewritten by ReplaceIndice and typed back only where it changed. A document with
// changes is written to a temporary file as soon as it is done, on a worker thread while the
// next one is rewritten (BackgroundSaver.h); the others are closed untouched. The new files are put
// in place together at the end, with one flush to disk for all of them (each document is still
// replaced atomically). On any failure the documents already rewritten are put in place all the
// same, the ones still open are dropped unsaved, and the error goes to the caller with its number
// and source and the update's context in front of its description.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "data/Recordset.h"
#include "documents/Document.h"
#include "documents/SaveBatch.h"
#include "formulas/BackgroundSaver.h"
#include "formulas/DocumentProgress.h"
#include "record/Statements.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <vector>

namespace K7X_DoruVevuzu {

namespace {

using documents::Document;

QString updateSource() {
    return QStringLiteral("Aggiornamento formule.");
}

bool isPlainFileName(const QString& name) {
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0)) &&
           name != QStringLiteral(".") && name != QStringLiteral("..") &&
           !QDir::isAbsolutePath(name);
}

// The file of a listed document, found in the documents folder, or "" when there is none. A
// name that could lead out of the folder, also through a link, is refused.
QString documentFile(K7XBO_Global::CGlobal& global, const QString& name) {
    if (name.isEmpty())
        return {};
    if (!isPlainFileName(name))
        fail(RuntimeError::ObjectError,
             QStringLiteral("Il nome di documento '%1' non è valido: deve essere il nome di un "
                            "file della cartella dei documenti.")
                 .arg(name),
             updateSource());
    const QString folder = global.HostApp()->property("Path").toString() + u'/' +
                           K7XBO_Global::CDocFields::instance().DocFolder();
    const QFileInfo file(folder + u'/' + name);
    if (!file.isFile())
        return {};
    const QString real = file.canonicalFilePath();
    if (QFileInfo(real).absolutePath() != QFileInfo(folder).canonicalFilePath())
        fail(RuntimeError::ObjectError,
             QStringLiteral("Il documento '%1' rimanda a un file fuori dalla cartella dei "
                            "documenti.")
                 .arg(name),
             updateSource());
    return real;
}

// Scans every story of the document for formula fields and rewrites the changed ones.
void rewriteFields(ctlIndici& editor, Document& document, const QString& oldCode,
                   const QString& newCode) {
    const auto& fields = K7XBO_Global::CDocFields::instance();
    const QString fieldStart = fields.FieldStart();
    const QString fieldEnd = fields.FieldEnd();
    if (fieldStart.isEmpty() || fieldEnd.isEmpty())
        fail(RuntimeError::ObjectError,
             QStringLiteral("I delimitatori dei campi formula non sono impostati."),
             updateSource());
    for (int story = 0; story < document.storyCount(); ++story) {
        std::vector<documents::Replacement> edits; // made at once: one pass over the story
        int pos = 0;
        bool inField = false;
        while (const auto found = document.find(story, inField ? fieldEnd : fieldStart, pos)) {
            if (!inField) {
                pos = found->start + static_cast<int>(fieldStart.size());
                inField = true;
                continue;
            }
            const int end = found->start;
            if (pos < end) {
                const QString script =
                    fields.FieldScript(document.text(story, pos, end)).toString();
                QString rewritten = script;
                editor.ReplaceIndice(rewritten, oldCode, newCode);
                if (rewritten != script)
                    edits.push_back({pos, end, rewritten});
                pos = found->end;
            }
            inField = false;
        }
        if (!edits.empty())
            document.replace(story, edits);
    }
}

struct OpenedDocument {
    QString name;
    std::unique_ptr<Document> document;
};

// After a failure, the documents rewritten before it keep their new content; the failure
// that stopped the update is the one reported.
void keepRewritten(documents::SaveBatch& rewritten) {
    try {
        rewritten.commit();
    } catch (const RuntimeError&) {
    }
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
    documents::SaveBatch rewritten;
    try {
        data::Recordset list;
        list.setActiveConnection(global()->Database()->Connection());
        list.setCursorType(0);
        list.setLockType(1);
        const record::Statement statement = record::selectDocuments(mCodiceModello);
        list.Open(statement.sql, statement.values);

        DocumentProgress progress(this, 2 * list.RecordCount() + 1,
                                  [this](const std::function<void()>& paint) { waitFor(paint); });
        std::vector<OpenedDocument> opened;
        QSet<QString> seen; // two names may lead to one file
        for (; !list.Eof(); list.MoveNext()) {
            const QString name = list.Field(QStringLiteral("KX20_NOMEDOCUMENTO")).toString();
            progress.opening(name);
            const QString file = documentFile(*global(), name);
            if (file.isEmpty() || seen.contains(file))
                continue;
            seen.insert(file);
            auto document = Document::open(file);
            if (document->readOnly())
                fail(RuntimeError::ObjectError,
                     QStringLiteral("Impossibile aggiornare '") + name + u'\'', updateSource());
            opened.push_back({name, std::move(document)});
        }
        BackgroundSaver saver(rewritten); // gone before the documents it saves
        for (OpenedDocument& current : opened) {
            progress.rewriting(current.name);
            rewriteFields(*this, *current.document, OldIndice, NewIndice);
            saver.save(*current.document);
        }
        progress.saving();
        saver.finish();
        rewritten.commit();
        return true;
    } catch (const std::exception& caught) {
        keepRewritten(rewritten);
        const RuntimeError failure = failureOf(caught);
        throw RuntimeError(failure.number(), failure.source(),
                           QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n") +
                               failure.description());
    }
}

} // namespace K7X_DoruVevuzu
