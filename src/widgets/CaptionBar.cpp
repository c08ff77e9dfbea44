#include "widgets/CaptionBar.h"

#include <QApplication>

namespace K7X_DoruVevuzu::widgets {

CaptionBar::CaptionBar(QWidget* parent) : QWidget(parent) {
    const QPalette system = QApplication::palette();
    QPalette colours = palette();
    colours.setColor(QPalette::Window, system.color(QPalette::Highlight));
    colours.setColor(QPalette::WindowText, system.color(QPalette::HighlightedText));
    setPalette(colours);
    setAutoFillBackground(true);
}

CaptionBar::~CaptionBar() = default;

} // namespace K7X_DoruVevuzu::widgets
