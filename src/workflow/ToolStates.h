// The enabled state of the three toolbar tools in each edit state, as one table per state.
//
// Constant data; the component applies a row with its tool switch. Any thread.
#pragma once

#include <array>

namespace K7X_DoruVevuzu::tools {

struct ToolState {
    const char* key;
    bool enabled;
};
using ToolStates = std::array<ToolState, 3>;

// Editing or adding: save and cancel open, the edit tool closed.
inline constexpr ToolStates kEditing{{{"tbOK", true}, {"tbEdit", false}, {"tbCancel", true}}};
// Back to viewing after the save or the cancel tool.
inline constexpr ToolStates kViewing{{{"tbOK", false}, {"tbEdit", true}, {"tbCancel", false}}};

} // namespace K7X_DoruVevuzu::tools
