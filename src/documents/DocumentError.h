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

// A document not saved: its name and the system's reason.
[[noreturn]] inline void notSaved(const QString& path, const QString& why) {
    documentFailure(DocumentFault::NotSaved, QStringLiteral("Impossibile salvare il documento "
                                                            "'%1': %2.")
                                                 .arg(QFileInfo(path).fileName(), why));
}
[[noreturn]] inline void notSaved(const QString& path, int error) {
    notSaved(path, QString::fromLocal8Bit(std::strerror(error)));
}

// The name a message shows for a document: its file name, without the folder.
inline QString displayName(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace K7X_DoruVevuzu::documents
