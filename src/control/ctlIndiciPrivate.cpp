// The component's lifecycle: creation, the host hand-overs and Destroy.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "record/IndexRecord.h"
#include "widgets/ComboField.h"
#include "widgets/ToolBand.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CGlobal.h>

#include <QLabel>

namespace K7X_DoruVevuzu {

ctlIndiciPrivate::ctlIndiciPrivate(ctlIndici& front)
    : QObject(&front), m_front(front), m_formulaEngine(new K7XBO_Global::CFormulaEngine(&front)),
      m_record(std::make_unique<record::IndexRecord>()),
      m_session(std::make_unique<workflow::EditSession>()),
      m_form(std::make_unique<Form>(buildForm(&front))) {
    setObjectName(QStringLiteral("ctlIndiciPrivate"));
    m_form->cmbGrafico->addItems(
        {QString(), QStringLiteral("Barre"), QStringLiteral("Linee"), QStringLiteral("Torta")});
    m_form->cmbGrafico->setCurrentIndex(-1);
    m_formulaEngine->setObjectName(QStringLiteral("mFormulaEngine"));
    connectChangeHandlers();
    connectFormulaButtons();
    connect(m_form->DS1, &widgets::ToolBand::ToolClick, this, &ctlIndiciPrivate::toolClicked);
}

ctlIndiciPrivate::~ctlIndiciPrivate() = default;

bool ctlIndiciPrivate::Adding() const {
    return m_session->adding();
}

void ctlIndiciPrivate::setCaption(const QString& value) {
    m_form->lblCaption->setText(value);
    m_form->lblCaption->adjustSize();
}

QString ctlIndiciPrivate::captionText() const {
    return m_form->lblCaption->text();
}

QString ctlIndiciPrivate::codiceIndiceText() const {
    return m_session->code();
}

QString ctlIndiciPrivate::codiceModelloText() const {
    return m_session->model();
}

void ctlIndiciPrivate::setCGlobal(K7XBO_Global::CGlobal* value) {
    refuseWhileWaiting();
    m_global = value;
    m_globalSet = value != nullptr;
    formulaEngine().GlobalService(value);
}

void ctlIndiciPrivate::setCodiceModello(const QString& value) {
    refuseWhileWaiting();
    m_session->setModel(value);
    formulaEngine().ModelCode(value);
}

void ctlIndiciPrivate::setCodiceIndice(const QString& value) {
    refuseWhileWaiting();
    m_session->setCode(value);
}

void ctlIndiciPrivate::Destroy() {
    refuseWhileWaiting();
    release();
}

void ctlIndiciPrivate::release() {
    m_record.reset();
    delete m_formulaEngine;
    m_global.clear();
    m_globalSet = false;
}

K7XBO_Global::CFormulaEngine& ctlIndiciPrivate::formulaEngine() const {
    if (!m_formulaEngine)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il motore delle formule non esiste più (Destroy)."));
    return *m_formulaEngine;
}

void ctlIndiciPrivate::refuseWhileWaiting() const {
    if (m_waiting)
        fail(kBusy, QStringLiteral("Il componente attende la risposta dell'utente a una finestra "
                                   "di dialogo: riprovare quando è chiusa."));
}

void ctlIndiciPrivate::waitFor(const std::function<void()>& wait) {
    const QPointer<ctlIndici> self(&m_front);
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

K7XBO_Global::CGlobal* ctlIndiciPrivate::global() const {
    if (!m_global)
        fail(RuntimeError::ObjectNotSet,
             m_globalSet ? QStringLiteral("Il servizio dell'host (CGlobal) è stato distrutto.")
                         : QStringLiteral("Il servizio dell'host (CGlobal) non è impostato."));
    return m_global;
}

} // namespace K7X_DoruVevuzu
