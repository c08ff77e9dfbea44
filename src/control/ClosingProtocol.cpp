// The closing protocol: validate, ask, update documents, save, tell the host.
//
// The hourglass is set before validating and reset before each message box and before every
// return; a failure before the code-change step leaves it on and reaches the caller. Refresh
// is the very last thing it does: a host's handler may reload the component, or delete it.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"
#include "workflow/MessageBoxes.h"

namespace K7X_DoruVevuzu {

bool ctlIndiciPrivate::CanClose(QString& NewIndex) {
    refuseWhileWaiting();
    try {
        return closeIndex(NewIndex);
    } catch (const ComponentGone&) {
        return false; // the host deleted the component while a box was open
    }
}

bool ctlIndiciPrivate::closeIndex(QString& NewIndex) {
    if (!m_session->modified()) {
        if (m_session->adding())
            setAdding(false);
        lockFields(false);
        return true;
    }

    m_front.setCursor(Qt::WaitCursor);
    const QString invalid = validateFields();
    if (!invalid.isEmpty()) {
        m_front.unsetCursor();
        if (!askUser(captionText(),
                     messages::lines({QStringLiteral("Attenzione!"), invalid, QString(),
                                      QStringLiteral("Proseguendo perderai le modifiche"),
                                      QStringLiteral("effettuate. Vuoi continuare?")})))
            return false;
        if (m_session->adding())
            setAdding(false);
        return true;
    }

    // A code change is carried into the formulas and the documents. Only a failure of the
    // update itself is reported; the user may still save or stop here.
    if (const auto carried = m_session->codeToCarry()) {
        try {
            updateDocuments(carried->first, carried->second);
        } catch (const std::exception& caught) {
            m_front.unsetCursor();
            if (!askUser(
                    m_front.window()->windowTitle(),
                    messages::lines({QStringLiteral("Attenzione!"), failureOf(caught).description(),
                                     QStringLiteral("Vuoi ugualmente effettuare le "
                                                    "modifiche?")})))
                return true;
        }
    }

    bool refresh = false;
    try {
        saveRecord();
        if (m_session->adding()) {
            m_form->txtCodice->setLocked(true); // add mode ends as setAdding(false) ends it
            NewIndex = m_session->keepNewIndex();
            refresh = true;
        }
        m_front.unsetCursor();
    } catch (const std::exception& caught) {
        const RuntimeError failure = failureOf(caught);
        m_front.unsetCursor();
        tellUser(
            m_front.window()->windowTitle(),
            messages::lines({QStringLiteral("Errore in fase di chiusura!"), failure.description(),
                             QStringLiteral("Error n. ") + QString::number(failure.number())}));
        if (m_session->adding())
            setAdding(false);
    }
    if (refresh)
        emit m_front.Refresh();
    return true;
}

} // namespace K7X_DoruVevuzu
