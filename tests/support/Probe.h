// The white-box probe of the component's own tests: its private state and operations, for the
// steps a host cannot take alone (a save without the closing protocol, a lock of any state).
#pragma once

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

namespace K7X_DoruVevuzu {
class ctlIndiciProbe {
public:
    static void save(ctlIndici& c) { c.SaveRecord(); }
    static QString validate(ctlIndici& c) { return c.ValidateFields(); }
    static void lock(ctlIndici& c, bool enable, bool adding, bool standard) {
        c.mAdding = adding;
        c.mStandard = standard;
        c.LockFields(enable);
    }
    static bool& modified(ctlIndici& c) { return c.mModified; }
    static bool standard(const ctlIndici& c) { return c.mStandard; }
    static QString codiceIndice(const ctlIndici& c) { return c.mCodiceIndice; }
    static void setCodiceIndice(ctlIndici& c, const QString& code) { c.mCodiceIndice = code; }
    static void replaceFormulaEngine(ctlIndici& c, K7XBO_Global::CFormulaEngine* engine) {
        delete c.mFormulaEngine;
        engine->setParent(&c);
        c.mFormulaEngine = engine;
    }
};
} // namespace K7X_DoruVevuzu

using Probe = K7X_DoruVevuzu::ctlIndiciProbe;
