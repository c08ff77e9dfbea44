// Carrying a code change into the model's report documents.
//
// Every document listed for the model is held against other updates (all of them before any is
// read), read, checked for read-only, scanned and its new file checked whole, two at a time, its
// new file then written beside it; the new files are put in place together once every document
// has been through (see formulas/ModelDocuments.h), under the progress window. So a read-only or
// damaged document, or a field that cannot be rewritten, stops the update before any document is
// replaced; a failure while the new files are written (a disk full) leaves the documents staged
// before it rewritten, and a document another program saved meanwhile is left as it saved it while
// the others are rewritten. The error goes to the caller with its number and source and the
// update's context in front of its description.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "formulas/DocumentProgress.h"
#include "formulas/ModelDocuments.h"
#include "workflow/EditSession.h"

#include <optional>

namespace K7X_DoruVevuzu {

bool ctlIndiciPrivate::UpdateDocFormulas(QString& OldIndice, QString& NewIndice) {
    refuseWhileWaiting();
    try {
        return updateDocuments(OldIndice, NewIndice);
    } catch (const ComponentGone&) {
        return false; // the host deleted the component while the progress window painted
    }
}

bool ctlIndiciPrivate::updateDocuments(const QString& OldIndice, const QString& NewIndice) {
    try {
        std::optional<DocumentProgress> progress;
        formulas::updateModelDocuments(
            *global(), m_session->model(), OldIndice, NewIndice,
            {.started =
                 [&](int documents) {
                     progress.emplace(
                         &m_front, documents + 1,
                         [this](const std::function<void()>& paint) { waitFor(paint); });
                 },
             .waiting =
                 [&](const QString& name, const documents::LockHolder& by) {
                     progress->waiting(name, by.user, by.host);
                 },
             .opening = [&](const QString& name) { progress->opening(name); },
             .saving =
                 [&] {
                     progress->saving();
                 }});
        return true;
    } catch (const std::exception& caught) {
        const RuntimeError failure = failureOf(caught);
        throw RuntimeError(failure.number(), failure.source(),
                           QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n") +
                               failure.description());
    }
}

} // namespace K7X_DoruVevuzu
