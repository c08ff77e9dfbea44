// The form's widget factory: the widget of one row of the control table, made inside its
// container with the row's design settings (its name, face and twips are the caller's). Nothing
// here fails. GUI thread only.
#pragma once

class QWidget;

namespace K7X_DoruVevuzu {

struct Control;

// The widget of `c`, a child of `container`; a frame goes on a new page of the tab control
// `container`.
QWidget* makeControl(const Control& c, QWidget* container);

} // namespace K7X_DoruVevuzu
