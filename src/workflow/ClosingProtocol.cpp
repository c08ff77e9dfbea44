// The closing protocol: validate, ask, update documents, save, tell the host.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

bool ctlIndici::CanClose(QString&) { notAvailable("CanClose"); }

} // namespace K7X_DoruVevuzu
