#include "form/Fonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace K7X_DoruVevuzu {

namespace {

// Indexed by Face. `width` is the advance of "a" to "z" in the design face, in ems: a
// substitute that runs wider is drawn smaller by as much, one that fits keeps the design size
// (the metric-compatible faces, second in each list, always do).
struct Look {
    const char* families[3];
    qreal points;
    bool bold;
    qreal width;
};
constexpr Look kLooks[] = {
    {{"MS Sans Serif", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 11.0},
    {{"Tahoma", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 12.95},
    {{"Arial", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 12.73},
    {{"Courier New", "Liberation Mono", "DejaVu Sans Mono"}, 8.25, false, 15.6},
    {{"Times New Roman", "Liberation Serif", "DejaVu Serif"}, 11.25, true, 12.72},
};
constexpr QLatin1StringView kAlphabet("abcdefghijklmnopqrstuvwxyz");

} // namespace

QFont fontOf(Face face) {
    const Look& look = kLooks[static_cast<int>(face)];
    QStringList families;
    for (const char* family : look.families)
        families << QLatin1String(family);
    QFont font(families.first());
    font.setFamilies(families);
    font.setBold(look.bold);
    font.setPixelSize(1000);
    const bool designFace =
        QFontInfo(font).family().compare(families.first(), Qt::CaseInsensitive) == 0;
    const qreal width = QFontMetricsF(font).horizontalAdvance(kAlphabet) / 1000.0;
    font.setPointSizeF(designFace ? look.points : look.points * std::min(1.0, look.width / width));
    return font;
}

void setFace(QWidget* w, Face face) {
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
        tabs->tabBar()->setFont(fontOf(face));
    else
        w->setFont(fontOf(face));
}

} // namespace K7X_DoruVevuzu
