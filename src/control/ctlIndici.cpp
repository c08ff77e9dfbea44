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
    : QWidget(parent), m_formulaEngine(new K7XBO_Global::CFormulaEngine(this)),
      m_records(std::make_unique<data::Recordset>()),
      m_session(std::make_unique<workflow::EditSession>()),
      m_form(std::make_unique<Form>(buildForm(this))) {
    m_form->cmbGrafico->addItems(
        {QString(), QStringLiteral("Barre"), QStringLiteral("Linee"), QStringLiteral("Torta")});
    m_form->cmbGrafico->setCurrentIndex(-1);
    m_formulaEngine->setObjectName(QStringLiteral("mFormulaEngine"));
    connectChangeHandlers();
    connectFormulaButtons();
    connect(m_form->DS1, &widgets::ToolBand::ToolClick, this, &ctlIndici::toolClicked);
}

ctlIndici::~ctlIndici() {
    try {
        release();
    } catch (...) {
        // Termination never fails: a record set that refuses to close is dropped with us.
    }
}

bool ctlIndici::Adding() const {
    return m_session->adding();
}

void ctlIndici::setCaption(const QString& value) {
    m_form->lblCaption->setText(value);
    m_form->lblCaption->adjustSize();
}

QString ctlIndici::captionText() const {
    return m_form->lblCaption->text();
}

QString ctlIndici::codiceIndiceText() const {
    return m_session->code();
}

QString ctlIndici::codiceModelloText() const {
    return m_session->model();
}

void ctlIndici::setCGlobal(K7XBO_Global::CGlobal* value) {
    refuseWhileWaiting();
    m_global = value;
    m_globalSet = value != nullptr;
    formulaEngine().GlobalService(value);
}

void ctlIndici::setCodiceModello(const QString& value) {
    refuseWhileWaiting();
    m_session->setModel(value);
    formulaEngine().ModelCode(value);
}

void ctlIndici::setCodiceIndice(const QString& value) {
    refuseWhileWaiting();
    m_session->setCode(value);
}

void ctlIndici::ClickOk() {}

void ctlIndici::Destroy() {
    refuseWhileWaiting();
    release();
}

void ctlIndici::release() {
    if (m_records) {
        if (m_records->State() != data::Recordset::adStateClosed)
            m_records->Close();
        m_records.reset();
    }
    delete m_formulaEngine;
    m_global.clear();
    m_globalSet = false;
}

K7XBO_Global::CFormulaEngine& ctlIndici::formulaEngine() const {
    if (!m_formulaEngine)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il motore delle formule non esiste più (Destroy)."));
    return *m_formulaEngine;
}

void ctlIndici::refuseWhileWaiting() const {
    if (m_waiting)
        fail(kBusy, QStringLiteral("Il componente attende la risposta dell'utente a una finestra "
                                   "di dialogo: riprovare quando è chiusa."));
}

void ctlIndici::waitFor(const std::function<void()>& wait) {
    const QPointer<ctlIndici> self(this);
    m_waiting = true;
    try {
        wait();
    } catch (...) {
        if (!self)
            throw ComponentGone{};
        m_waiting = false;
        throw;
    }
    if (!self)
        throw ComponentGone{};
    m_waiting = false;
}

K7XBO_Global::CGlobal* ctlIndici::global() const {
    if (!m_global)
        fail(RuntimeError::ObjectNotSet,
             m_globalSet ? QStringLiteral("Il servizio dell'host (CGlobal) è stato distrutto.")
                         : QStringLiteral("Il servizio dell'host (CGlobal) non è impostato."));
    return m_global;
}

} // namespace K7X_DoruVevuzu
