// The white-box probe of the component's own tests: its private state and operations, for the
// steps a host cannot take alone (a save without the closing protocol, a lock of any state).
#pragma once

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "workflow/EditSession.h"

namespace K7X_DoruVevuzu {
class ctlIndiciProbe {
public:
    static void save(ctlIndici& c) { c.SaveRecord(); }
    static QString validate(ctlIndici& c) { return c.ValidateFields(); }
    static void lock(ctlIndici& c, bool enable, bool adding, bool standard) {
        adding ? void(c.mSession->startAdding()) : c.mSession->leaveAdding();
        c.mSession->setStandard(standard);
        c.LockFields(enable);
    }
    static bool modified(const ctlIndici& c) { return c.mSession->modified(); }
    static void setModified(ctlIndici& c, bool on) {
        on ? c.mSession->changed() : c.mSession->discard();
    }
    static bool standard(const ctlIndici& c) { return c.mSession->standard(); }
    static QString codiceIndice(const ctlIndici& c) { return c.mSession->code(); }
    // The current code only, as if typed while adding and kept when add mode ended; the form
    // is left unmodified.
    static void setCodiceIndice(ctlIndici& c, const QString& code) {
        c.mSession->startAdding();
        c.mSession->typedCode(code);
        c.mSession->keepNewIndex();
    }
    static void replaceFormulaEngine(ctlIndici& c, K7XBO_Global::CFormulaEngine* engine) {
        delete c.mFormulaEngine;
        engine->setParent(&c);
        c.mFormulaEngine = engine;
    }
};
} // namespace K7X_DoruVevuzu

using Probe = K7X_DoruVevuzu::ctlIndiciProbe;
