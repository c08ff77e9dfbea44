// CaptionBar: the coloured bar at the top of the form that holds the caption label.
#pragma once

#include <QWidget>

namespace K7X_DoruVevuzu::widgets {

class CaptionBar : public QWidget {
    Q_OBJECT
public:
    explicit CaptionBar(QWidget* parent = nullptr);
    ~CaptionBar() override;
};

} // namespace K7X_DoruVevuzu::widgets
