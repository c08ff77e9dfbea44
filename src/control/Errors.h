// Helpers that raise the component's RuntimeError with its own source name.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <exception>

namespace K7X_DoruVevuzu {

inline const QString kSource = QStringLiteral("ctlIndici");

[[noreturn]] inline void fail(qint32 number, const QString& description,
                              const QString& source = kSource) {
    throw RuntimeError(number, source, description);
}

// A member whose behaviour this build does not offer yet.
[[noreturn]] inline void notAvailable(const char* member) {
    fail(RuntimeError::NotAvailable,
         QStringLiteral("%1 non è disponibile in questa versione del componente.")
             .arg(QLatin1String(member)));
}

// The failure caught at a handler, as a RuntimeError whatever its C++ type: a RuntimeError as it
// was, any other exception with its what() as description.
inline RuntimeError failureOf(const std::exception& failure) {
    if (const auto* error = dynamic_cast<const RuntimeError*>(&failure))
        return *error;
    return RuntimeError(RuntimeError::ObjectError, kSource, QString::fromUtf8(failure.what()));
}

} // namespace K7X_DoruVevuzu
