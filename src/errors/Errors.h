// Helpers that raise the component's RuntimeError with its own source name, and the signal
// that the component was deleted while it waited for the user.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <exception>
#include <new>

namespace K7X_DoruVevuzu {

// A public member called while the component waits in a message box or the formula editor.
inline constexpr qint32 kBusy = RuntimeError::ObjectError + 0x0910;

[[noreturn]] inline void fail(qint32 number, const QString& description,
                              const QString& source = QStringLiteral("ctlIndici")) {
    throw RuntimeError(number, source, description);
}

// The component was deleted by the host's own events while it waited (a message box, the
// formula editor). Not a std::exception, so no failure handler takes it: it unwinds to the
// entry point from Qt or the host, which returns at once without touching the component.
struct ComponentGone {};

// The failure caught at a handler, as a RuntimeError whatever its C++ type: a RuntimeError as it
// was, running out of memory as the platform's error 7, any other exception with its what().
inline RuntimeError failureOf(const std::exception& failure) {
    if (const auto* error = dynamic_cast<const RuntimeError*>(&failure))
        return *error;
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return RuntimeError(RuntimeError::OutOfMemory, QStringLiteral("ctlIndici"),
                            QStringLiteral("Memoria insufficiente."));
    return RuntimeError(RuntimeError::ObjectError, QStringLiteral("ctlIndici"),
                        QString::fromUtf8(failure.what()));
}

} // namespace K7X_DoruVevuzu
