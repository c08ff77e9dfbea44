// Field locking: which field the user may change, by edit state, standard flag and right.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::LockFields(bool) { notAvailable("LockFields"); }

} // namespace K7X_DoruVevuzu
