// GradientFrame: the frame of a tab page, painted with a white to light-blue gradient.
#pragma once

#include <QFrame>

namespace K7X_DoruVevuzu::widgets {

class GradientFrame : public QFrame {
    Q_OBJECT
public:
    explicit GradientFrame(QWidget* parent = nullptr);
    ~GradientFrame() override;
};

} // namespace K7X_DoruVevuzu::widgets
