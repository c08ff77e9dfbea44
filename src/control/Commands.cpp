// Toolbar commands and hotkeys, and how a failure inside a Qt slot reaches the user.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

#include <QMessageBox>

namespace K7X_DoruVevuzu {

void ctlIndici::DS1_ToolClick(QAction*) {}
void ctlIndici::UserControl_KeyDown(qint16&, qint16&) {}
bool ctlIndici::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

void ctlIndici::showFailure(const RuntimeError& failure, const QString& title) {
    QMessageBox box(QMessageBox::Critical, title, failure.description(), QMessageBox::Ok, this);
    box.exec();
}

} // namespace K7X_DoruVevuzu
