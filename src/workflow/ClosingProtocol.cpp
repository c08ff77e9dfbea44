// The closing protocol: validate, ask, update documents, save, tell the host.
//
// The hourglass is set before validating and reset before each message box and before every
// return; a failure before the code-change step leaves it on and reaches the caller.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "data/Connection.h"
#include "record/Statements.h"
#include "workflow/MessageBoxes.h"

namespace K7X_DoruVevuzu {

bool ctlIndici::CanClose(QString& NewIndex) {
    if (!mModified) {
        if (mAdding)
            setAdding(false);
        LockFields(false);
        return true;
    }

    setCursor(Qt::WaitCursor);
    // A retry after the server dropped the connection finds it open again.
    const data::ConnectionWatch watch(record::hostConnection(*global()));
    const QString invalid = ValidateFields();
    if (!invalid.isEmpty()) {
        unsetCursor();
        const bool dropChanges = messages::askToGoOn(
            this, captionText(),
            messages::lines({QStringLiteral("Attenzione!"), invalid, QString(),
                             QStringLiteral("Proseguendo perderai le modifiche"),
                             QStringLiteral("effettuate. Vuoi continuare?")}));
        if (!dropChanges)
            return false;
        if (mAdding)
            setAdding(false);
        return true;
    }

    // A code that differs outside add mode: carry it into the formulas and the documents. Only
    // a failure of the update itself is reported; the user may still save or stop here.
    if (mCodiceIndice != mOldCodiceIndice && !mAdding) {
        try {
            UpdateDocFormulas(mOldCodiceIndice, mCodiceIndice);
        } catch (const std::exception& caught) {
            unsetCursor();
            const bool saveAnyway = messages::askToGoOn(
                this, window()->windowTitle(),
                messages::lines({QStringLiteral("Attenzione!"), failureOf(caught).description(),
                                 QStringLiteral("Vuoi ugualmente effettuare le modifiche?")}));
            if (!saveAnyway)
                return true;
        }
    }

    try {
        SaveRecord();
        if (mAdding) {
            const QString savedCode = mCodiceIndice;
            setAdding(false); // brings back the host's code; the saved one replaces it here
            mCodiceIndice = savedCode;
            NewIndex = mCodiceIndice;
            emit Refresh();
        }
        unsetCursor();
    } catch (const std::exception& caught) {
        const RuntimeError failure = failureOf(caught);
        unsetCursor();
        messages::showCritical(
            this, window()->windowTitle(),
            messages::lines({QStringLiteral("Errore in fase di chiusura!"), failure.description(),
                             QStringLiteral("Error n. ") + QString::number(failure.number())}));
        if (mAdding)
            setAdding(false);
    }
    return true;
}

} // namespace K7X_DoruVevuzu
