// Carrying a code change into the model's report documents.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

bool ctlIndici::UpdateDocFormulas(QString&, QString&) { notAvailable("UpdateDocFormulas"); }

} // namespace K7X_DoruVevuzu
