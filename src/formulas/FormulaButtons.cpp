// The formula buttons: opening the host's formula editor on a formula box.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::connectFormulaButtons() {}
void ctlIndici::cmdFormula_Click(qint16) { notAvailable("cmdFormula_Click"); }

} // namespace K7X_DoruVevuzu
