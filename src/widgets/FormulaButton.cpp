#include "widgets/FormulaButton.h"

namespace K7X_DoruVevuzu::widgets {

FormulaButton::FormulaButton(QWidget* parent) : QToolButton(parent) {
    setToolTip(QStringLiteral("Editor Formula"));
}
FormulaButton::~FormulaButton() = default;

} // namespace K7X_DoruVevuzu::widgets
