#include "widgets/GradientFrame.h"

#include <QLinearGradient>
#include <QPainter>

namespace K7X_DoruVevuzu::widgets {

GradientFrame::GradientFrame(QWidget* parent) : QFrame(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

GradientFrame::~GradientFrame() = default;

void GradientFrame::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, m_backColor);
        gradient.setColorAt(1, m_gradientColor);
        painter.fillRect(rect(), gradient);
    }
    QFrame::paintEvent(event);
}

} // namespace K7X_DoruVevuzu::widgets
