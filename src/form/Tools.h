// The toolbar's tools as one table, in the order of workflow::Tool: the key (the action's object
// name, as hosts and tests find it), the caption, the picture and the host's hotkey identifier
// that fires the tool. The form keeps the tools' actions by tool, never looked up by name.
// Nothing fails but applyTools. GUI thread only.
#pragma once

#include "workflow/EditSession.h"

#include <QPointer>
#include <QString>

#include <array>
#include <optional>

class QAction;

namespace K7X_DoruVevuzu {

namespace widgets {
class ToolBand;
}

// The band's actions by workflow::Tool; null once the host deleted one.
using ToolActions = std::array<QPointer<QAction>, 3>;

// Puts the tools on the band, in order, with their design states.
void addDesignTools(widgets::ToolBand* band);
// The tool that a host's hotkey identifier fires (compared exactly, case-sensitive), if any.
std::optional<workflow::Tool> toolOfHotkey(const QString& identifier);
// The tool that `action` is, if it is one of `tools`.
std::optional<workflow::Tool> toolOf(const ToolActions& tools, const QAction* action);
// Enables the tools as `states` says, save first, then edit and cancel. A tool no longer on the
// band fails with RuntimeError InvalidCall naming its key.
void applyTools(const ToolActions& tools, const workflow::ToolStates& states);

} // namespace K7X_DoruVevuzu
