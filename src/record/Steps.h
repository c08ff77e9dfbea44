// Continue-on-error steps: an operation made of independent steps runs each one and passes
// over the failure of any step silently, going on with the next (ReadFields works this way).
// Header-only; catches every std::exception (RuntimeError included); GUI thread like its caller.
#pragma once

#include <exception>
#include <new>
#include <utility>

namespace K7X_DoruVevuzu::record {

// Whether the step ran to its end. Running out of memory is no step's failure: it goes on.
template <typename Step> bool skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return false; // the step is skipped; the operation goes on with the next one
    }
}

} // namespace K7X_DoruVevuzu::record
