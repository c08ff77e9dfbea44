// CaptionBar: the coloured bar at the top of the form that holds the caption label.
//
// Fills itself with the system highlight colour and gives its children the highlight-text
// colour, so the caption label placed on it reads in that colour. It has no layout: the form
// places the label. Nothing here fails. GUI thread only.
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
