// Helpers that raise the component's RuntimeError with its own source name.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

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

} // namespace K7X_DoruVevuzu
