// Replacing a file's content so that a crash at any moment leaves the old or the new file.
//
// The bytes go to a new hidden file in the same folder, which takes the old file's permission
// bits (and, when allowed, its owner), is flushed to disk and renamed over the old file; the
// folder is flushed too, so the rename itself survives a power cut. On failure the temporary
// file is removed, the old file is untouched, and a RuntimeError (DocumentFault::NotSaved)
// tells why in Italian. Safe to call from any thread on distinct paths.
#pragma once

#include <QByteArray>
#include <QString>

namespace K7X_DoruVevuzu::documents {

void replaceFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace K7X_DoruVevuzu::documents
