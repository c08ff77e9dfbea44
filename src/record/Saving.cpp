// Writing the form back into the index row.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::SaveRecord() { notAvailable("SaveRecord"); }

} // namespace K7X_DoruVevuzu
