// FormulaButton: the small picture button that opens the formula editor.
#pragma once

#include <QToolButton>

namespace K7X_DoruVevuzu::widgets {

class FormulaButton : public QToolButton {
    Q_OBJECT
public:
    explicit FormulaButton(QWidget* parent = nullptr);
    ~FormulaButton() override;
};

} // namespace K7X_DoruVevuzu::widgets
