// The component's surface and lifecycle: creation, the host hand-overs and Destroy.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "control/Form.h"
#include "data/Recordset.h"
#include "widgets/ComboField.h"
#include "widgets/ToolBand.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CGlobal.h>

#include <QLabel>

namespace K7X_DoruVevuzu {

ctlIndici::ctlIndici(QWidget* parent)
    : QWidget(parent), mFormulaEngine(new K7XBO_Global::CFormulaEngine(this)),
      mRs(std::make_unique<data::Recordset>()), mSession(std::make_unique<workflow::EditSession>()),
      mForm(std::make_unique<Form>(buildForm(this))) {
    mForm->cmbGrafico->addItems(
        {QString(), QStringLiteral("Barre"), QStringLiteral("Linee"), QStringLiteral("Torta")});
    mForm->cmbGrafico->setCurrentIndex(-1);
    mFormulaEngine->setObjectName(QStringLiteral("mFormulaEngine"));
    connectChangeHandlers();
    connectFormulaButtons();
    connect(mForm->DS1, &widgets::ToolBand::ToolClick, this, &ctlIndici::DS1_ToolClick);
}

ctlIndici::~ctlIndici() {
    try {
        release();
    } catch (...) {
        // Termination never fails: a record set that refuses to close is dropped with us.
    }
}

bool ctlIndici::Adding() const {
    return mSession->adding();
}

void ctlIndici::setCaption(const QString& value) {
    mForm->lblCaption->setText(value);
    mForm->lblCaption->adjustSize();
}

QString ctlIndici::captionText() const {
    return mForm->lblCaption->text();
}

QString ctlIndici::codiceIndiceText() const {
    return mSession->code();
}

QString ctlIndici::codiceModelloText() const {
    return mSession->model();
}

void ctlIndici::setCGlobal(K7XBO_Global::CGlobal* value) {
    refuseWhileWaiting();
    mGlobal = value;
    mGlobalSet = value != nullptr;
    formulaEngine().GlobalService(value);
}

void ctlIndici::setCodiceModello(const QString& value) {
    refuseWhileWaiting();
    mSession->setModel(value);
    formulaEngine().ModelCode(value);
}

void ctlIndici::setCodiceIndice(const QString& value) {
    refuseWhileWaiting();
    mSession->setCode(value);
}

void ctlIndici::ClickOk() {}

void ctlIndici::Destroy() {
    refuseWhileWaiting();
    release();
}

void ctlIndici::release() {
    if (mRs) {
        if (mRs->State() != data::Recordset::adStateClosed)
            mRs->Close();
        mRs.reset();
    }
    delete mFormulaEngine;
    mGlobal.clear();
    mGlobalSet = false;
}

K7XBO_Global::CFormulaEngine& ctlIndici::formulaEngine() const {
    if (!mFormulaEngine)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il motore delle formule non esiste più (Destroy)."));
    return *mFormulaEngine;
}

void ctlIndici::refuseWhileWaiting() const {
    if (mWaiting)
        fail(kBusy, QStringLiteral("Il componente attende la risposta dell'utente a una finestra "
                                   "di dialogo: riprovare quando è chiusa."));
}

void ctlIndici::waitFor(const std::function<void()>& wait) {
    const QPointer<ctlIndici> self(this);
    mWaiting = true;
    try {
        wait();
    } catch (...) {
        if (!self)
            throw ComponentGone{};
        mWaiting = false;
        throw;
    }
    if (!self)
        throw ComponentGone{};
    mWaiting = false;
}

K7XBO_Global::CGlobal* ctlIndici::global() const {
    if (!mGlobal)
        fail(RuntimeError::ObjectNotSet,
             mGlobalSet ? QStringLiteral("Il servizio dell'host (CGlobal) è stato distrutto.")
                        : QStringLiteral("Il servizio dell'host (CGlobal) non è impostato."));
    return mGlobal;
}

} // namespace K7X_DoruVevuzu
