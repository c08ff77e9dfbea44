// The type faces of the form. Each design face is used when installed, else a look-alike
// (Liberation, then DejaVu), drawn at the design size unless it runs wider than the design face,
// and then only as much smaller as it is wider. Nothing here fails. GUI thread only.
#pragma once

#include <QFont>

class QWidget;

namespace K7X_DoruVevuzu {

// The faces of the form's controls.
enum class Face { FormDefault, Tahoma, Arial, Courier, Caption };

QFont fontOf(Face face);

// Gives a control its face; a tab control's face is that of its captions (its pages keep the
// form's face).
void setFace(QWidget* control, Face face);

} // namespace K7X_DoruVevuzu
