// Continue-on-error steps: an operation made of independent steps runs each one and passes
// over the failure of any step silently, going on with the next (ReadFields works this way).
// Header-only; catches every std::exception (RuntimeError included); GUI thread like its caller.
#pragma once

#include <exception>
#include <utility>

namespace K7X_DoruVevuzu::record {

template <typename Step> void skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const std::exception&) {
        // The step is skipped; the operation goes on with the next one.
    }
}

} // namespace K7X_DoruVevuzu::record
