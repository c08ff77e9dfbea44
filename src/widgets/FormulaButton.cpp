#include "widgets/FormulaButton.h"

#include "widgets/Icons.h"

#include <QCoreApplication>

namespace K7X_DoruVevuzu::widgets {

FormulaButton::FormulaButton(QWidget* parent) : QToolButton(parent) {
    setToolTip(QCoreApplication::translate("ctlIndici", "Editor Formula"));
    setIcon(picture(QStringLiteral("Formula")));
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::StrongFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::Button, QColor(236, 233, 216));
    colours.setColor(QPalette::ButtonText, Qt::black);
    setPalette(colours);
}

FormulaButton::~FormulaButton() = default;

} // namespace K7X_DoruVevuzu::widgets
