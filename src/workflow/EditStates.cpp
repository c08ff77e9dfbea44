// Edit states and the commands that move between them; the change handlers.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::setAdding(bool) { notAvailable("Adding"); }
void ctlIndici::ClickAddIndex() { notAvailable("ClickAddIndex"); }
void ctlIndici::ClickCancel() { notAvailable("ClickCancel"); }
void ctlIndici::ClickUndo() { notAvailable("ClickUndo"); }
void ctlIndici::connectChangeHandlers() {}
void ctlIndici::fieldChanged(QWidget*) {}

} // namespace K7X_DoruVevuzu
