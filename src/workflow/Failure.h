// The failure caught at a handler, as the component's RuntimeError whatever its C++ type.
//
// Pure function; no failures of its own. Any thread.
#pragma once

#include "control/Errors.h"

#include <exception>

namespace K7X_DoruVevuzu {

// A RuntimeError as it was; any other exception becomes one with its what() as description.
inline RuntimeError failureOf(const std::exception& failure) {
    if (const auto* error = dynamic_cast<const RuntimeError*>(&failure))
        return *error;
    return RuntimeError(RuntimeError::ObjectError, kSource, QString::fromUtf8(failure.what()));
}

} // namespace K7X_DoruVevuzu
