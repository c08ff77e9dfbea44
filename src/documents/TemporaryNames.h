// TemporaryNames: the names of the hidden files an update writes beside a document before it
// puts them in place, ".name.ctl-HOST-PID.XXXXXX": the document's name (cut short), then the
// machine and the process that wrote it, so that whoever finds one knows whose it is. An update
// killed before its renames leaves them behind; the next update on the same machine removes
// those of processes that no longer run when it takes over the killed update's lock files. Those
// of a process still running, or of another machine, are never touched. Never throw.
#pragma once

#include <QByteArray>

namespace K7X_DoruVevuzu::documents {

// The name of a new temporary file for the document named `name`, ending in XXXXXX to be made
// unique.
QByteArray temporaryPattern(const QByteArray& name);
// Removes, from the open folder `folder`, the temporary files for the document named `name`
// written on this machine by processes that are gone.
void removeLeftovers(int folder, const QByteArray& name);

} // namespace K7X_DoruVevuzu::documents
