// ReadOnlyLook: how every field of the form shows that the user cannot change it.
//
// A field that is not editable keeps taking the focus (read-only, never disabled); only its
// background changes, to the window colour of the application palette. GUI thread only.
#pragma once

class QWidget;

namespace K7X_DoruVevuzu::widgets {

void showEditable(QWidget* field, bool editable);

} // namespace K7X_DoruVevuzu::widgets
