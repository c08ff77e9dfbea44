// Rewriting the references to an index code inside a formula script.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::ReplaceIndice(QString&, QString, QString) { notAvailable("ReplaceIndice"); }

} // namespace K7X_DoruVevuzu
