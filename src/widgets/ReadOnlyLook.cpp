#include "widgets/ReadOnlyLook.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace K7X_DoruVevuzu::widgets {

void showEditable(QWidget* field, bool editable) {
    const QPalette standard = QApplication::palette(field);
    const QColor back =
        editable ? standard.color(QPalette::Base) : standard.color(QPalette::Window).darker(104);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Button, editable ? standard.color(QPalette::Button) : back);
    field->setPalette(palette);
}

} // namespace K7X_DoruVevuzu::widgets
