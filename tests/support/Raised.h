// The failure an action raises, to compare its number and text in one line.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

// The RuntimeError `action` raises; number 0 and no text when it raises none.
template <typename Action> K7X_DoruVevuzu::RuntimeError raisedBy(Action&& action) {
    try {
        action();
    } catch (const K7X_DoruVevuzu::RuntimeError& error) {
        return error;
    }
    return K7X_DoruVevuzu::RuntimeError(0, {}, {});
}
