// Layout on resize: the form follows the component's size, in twips.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

namespace K7X_DoruVevuzu {

void ctlIndici::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void ctlIndici::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UserControl_Resize();
}

void ctlIndici::UserControl_Resize() {}

} // namespace K7X_DoruVevuzu
