#include "widgets/CaptionBar.h"

namespace K7X_DoruVevuzu::widgets {

CaptionBar::CaptionBar(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }
CaptionBar::~CaptionBar() = default;

} // namespace K7X_DoruVevuzu::widgets
