// Icons: the component's own pictures (toolbar tools and the formula button), by image key.
//
// The pictures are 16 × 16 PNG files compiled into the library (widgets.qrc). A key with no
// picture gives a null icon. GUI thread only.
#pragma once

#include <QIcon>

namespace K7X_DoruVevuzu::widgets {

QIcon picture(const QString& key); // "Edit", "Save", "Edit_Undo", "Formula"

} // namespace K7X_DoruVevuzu::widgets
