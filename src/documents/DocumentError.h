// The document engine's failures: one RuntimeError source and a number per kind of fault.
//
// Numbers follow the automation convention for a component's own errors (vbObjectError +
// 513 and up), so a host can tell a damaged file from a refused edit or a failed save.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QFileInfo>
#include <QString>

#include <cstring>

namespace K7X_DoruVevuzu::documents {

enum class DocumentFault : qint32 {
    Unreadable = RuntimeError::ObjectError + 513, // not a package, a part missing or damaged
    Refused = RuntimeError::ObjectError + 514,    // an edit that would break the document
    NotSaved = RuntimeError::ObjectError + 515,   // the file could not be written
};

[[noreturn]] inline void documentFailure(DocumentFault fault, const QString& description) {
    throw RuntimeError(static_cast<qint32>(fault), QStringLiteral("Documenti"), description);
}

// The name a message shows for a document: its file name, without the folder.
inline QString displayName(const QString& path) {
    return QFileInfo(path).fileName();
}

// A document that cannot be read: its name and why (Italian, no closing period).
[[noreturn]] inline void unreadable(const QString& path, const QString& why) {
    documentFailure(
        DocumentFault::Unreadable,
        QStringLiteral("Impossibile aprire il documento '%1': %2.").arg(displayName(path), why));
}
// A part of a document that cannot be read: why comes after the part's name.
[[noreturn]] inline void damagedPart(const QString& path, const QString& part, const QString& why) {
    unreadable(path, QStringLiteral("la parte '%1' %2").arg(part, why));
}
// A document not saved: its name and why (Italian, no closing period), or the system's reason.
[[noreturn]] inline void notSaved(const QString& path, const QString& why) {
    documentFailure(DocumentFault::NotSaved, QStringLiteral("Impossibile salvare il documento "
                                                            "'%1': %2.")
                                                 .arg(displayName(path), why));
}
[[noreturn]] inline void notSaved(const QString& path, int error) {
    notSaved(path, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace K7X_DoruVevuzu::documents
