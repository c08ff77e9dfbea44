// The white-box probe of the component's own tests: the component behind the public front (its
// QObject child), for the steps a host cannot take alone (a save without the closing protocol, a
// lock of any state).
#pragma once

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/ctlIndiciPrivate.h"
#include "workflow/EditSession.h"

namespace K7X_DoruVevuzu {
class ctlIndiciProbe {
    static ctlIndiciPrivate& behind(const ctlIndici& c) {
        return *c.findChild<ctlIndiciPrivate*>(QString(), Qt::FindDirectChildrenOnly);
    }

public:
    static void save(ctlIndici& c) { behind(c).saveRecord(); }
    static QString validate(ctlIndici& c) { return behind(c).validateFields(); }
    static void lock(ctlIndici& c, bool enable, bool adding, bool standard) {
        adding ? void(behind(c).m_session->startAdding()) : behind(c).m_session->leaveAdding();
        behind(c).m_session->setStandard(standard);
        behind(c).lockFields(enable);
    }
    static bool modified(const ctlIndici& c) { return behind(c).m_session->modified(); }
    static void setModified(ctlIndici& c, bool on) {
        on ? behind(c).m_session->changed() : behind(c).m_session->discard();
    }
    static bool standard(const ctlIndici& c) { return behind(c).m_session->standard(); }
    static QString codiceIndice(const ctlIndici& c) { return behind(c).m_session->code(); }
    // The current code only, as if typed while adding and kept when add mode ended; the form
    // is left unmodified.
    static void setCodiceIndice(ctlIndici& c, const QString& code) {
        behind(c).m_session->startAdding();
        behind(c).m_session->typedCode(code);
        behind(c).m_session->keepNewIndex();
    }
    static void replaceFormulaEngine(ctlIndici& c, K7XBO_Global::CFormulaEngine* engine) {
        delete behind(c).m_formulaEngine;
        engine->setParent(&c);
        behind(c).m_formulaEngine = engine;
    }
};
} // namespace K7X_DoruVevuzu

using Probe = K7X_DoruVevuzu::ctlIndiciProbe;
