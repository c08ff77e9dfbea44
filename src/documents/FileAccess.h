// FileAccess: what a new file takes over from the document it replaces, so that whoever could
// open the document before can after, and nobody else: its owner (or, where only that may be
// given, its group), its extended attributes (access lists among them; those of the security
// namespace the user may not set are left out; an access list the new file inherited from its
// folder goes when the old file had none) and its permission bits (never set-user or set-group-ID,
// which would now run as whoever wrote the file). Failures are RuntimeError
// (DocumentFault::NotSaved) naming the document and why.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace K7X_DoruVevuzu::documents {

// Gives the new file `fd` the owner and group of the file `old` (a regular file), or the group
// alone where only that is allowed; refuses when who may open `old` could not open the new file.
void takeOwnership(const QString& path, const struct stat& old, int fd);
// Gives the new file `fd` what the file `name` of `folder` has (nothing when there is none).
void takeOver(const QString& path, int folder, const QByteArray& name, int fd);
// Refuses the file `old` of the open `folder` when the folder is sticky (only a file's owner, the
// folder's or an administrator may rename over it) and the updater is none of them.
void checkSticky(const QString& path, int folder, const struct stat& old);

} // namespace K7X_DoruVevuzu::documents
