// Twips: the form's geometry in twips (1/1440 inch, 15 per device-independent pixel).
//
// Every named control of the form carries its rectangle in twips, relative to its container,
// as the dynamic property "twips" (a QRectF); its pixel geometry follows, rounded. The
// container is the control's parent widget, except for the tab frames, whose container is the
// tab control while their parent is the tab's page: their pixel position is then taken from
// the page's place inside the tab control, and follows the page when the tab control lays it
// out. A control resized by other means (a label sized to its text) has its twips size
// rewritten when its resize event arrives, or at once through adoptSize() (a hidden widget
// gets its resize event only when shown).
// A setter that would give a negative width or height changes nothing. Nothing here fails.
// GUI thread only.
#pragma once

#include <QRectF>

class QWidget;

namespace K7X_DoruVevuzu::widgets::twips {

inline constexpr double kPerPixel = 15.0;
inline constexpr const char* kProperty = "twips";

// Starts keeping w's geometry in twips inside container (nullptr: its parent widget).
void track(QWidget* w, const QRectF& rect, QWidget* container = nullptr);

QRectF rect(const QWidget* w); // the null rectangle for a widget that is not tracked
void adoptSize(QWidget* w);    // takes the widget's current pixel size as its twips size
void setRect(QWidget* w, const QRectF& rect);
void setLeft(QWidget* w, double left);
void setTop(QWidget* w, double top);
void setWidth(QWidget* w, double width);
void setHeight(QWidget* w, double height);

double fromPixels(int pixels);

} // namespace K7X_DoruVevuzu::widgets::twips
