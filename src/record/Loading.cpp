// Loading the index row into the form, and emptying the form.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::LoadIndice() { notAvailable("LoadIndice"); }
void ctlIndici::ReadFields() { notAvailable("ReadFields"); }
void ctlIndici::UnloadIndice() { notAvailable("UnloadIndice"); }
void ctlIndici::ReloadFields() { notAvailable("ReloadFields"); }
void ctlIndici::ClearFields() { notAvailable("ClearFields"); }

} // namespace K7X_DoruVevuzu
