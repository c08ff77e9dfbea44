// Checking the form before it is saved.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

QString ctlIndici::ValidateFields() { notAvailable("ValidateFields"); }

} // namespace K7X_DoruVevuzu
