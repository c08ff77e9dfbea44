// FormulaButton: the 16 × 16 picture button beside a formula box that opens the formula editor.
//
// Shows our own formula picture and no text, with the tooltip "Editor Formula" and the
// maker's button colours (face RGB(236, 233, 216), black text); it takes the focus with the
// Tab key and draws a focus rectangle. Its enabled state is the one lockFields switches.
// Nothing here fails. GUI thread only.
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
