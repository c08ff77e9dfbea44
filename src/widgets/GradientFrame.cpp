#include "widgets/GradientFrame.h"

namespace K7X_DoruVevuzu::widgets {

GradientFrame::GradientFrame(QWidget* parent) : QFrame(parent) {}
GradientFrame::~GradientFrame() = default;

} // namespace K7X_DoruVevuzu::widgets
