#pragma once

#include <QString>

namespace K7X_DoruVevuzu {

/// Sets the language of the component's form texts (labels, tabs, tools, tooltips).
///
/// The component speaks Italian. loadTranslation("en") installs the embedded English texts on
/// the application; loadTranslation("it") (or "") removes them again. Call it before creating a
/// ctlIndici: a form takes its texts when it is built. Messages, message boxes and everything
/// stored stay as they are in every language. Returns false for a language that is not shipped.
/// Never throws. GUI thread only.
bool loadTranslation(const QString& language);

} // namespace K7X_DoruVevuzu
