// GradientFrame: the frame of a tab page, painted with a white to light-blue gradient.
//
// Paints its whole area from `backColor` (white) to `gradientColor` (RGB(171, 196, 252)).
// The maker's `style` 7 is drawn here as a vertical gradient: the back colour along the top
// edge, the gradient colour along the bottom edge. Nothing here fails. GUI thread only.
#pragma once

#include <QColor>
#include <QFrame>

namespace K7X_DoruVevuzu::widgets {

class GradientFrame : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QColor backColor MEMBER m_backColor)
    Q_PROPERTY(QColor gradientColor MEMBER m_gradientColor)
public:
    explicit GradientFrame(QWidget* parent = nullptr);
    ~GradientFrame() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_backColor = Qt::white;
    QColor m_gradientColor = QColor(171, 196, 252);
};

} // namespace K7X_DoruVevuzu::widgets
