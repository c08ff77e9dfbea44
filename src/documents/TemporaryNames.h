// TemporaryNames: the temporary files an update writes beside a document before it puts them in
// place, and the names of the hidden ones an update writes beside a document before it
// puts them in place, ".name.ctl-HOST-PID.XXXXXX": the document's name (cut short), then the
// machine and the process that wrote it, so that whoever finds one knows whose it is. An update
// killed before its renames leaves them behind; the next update on the same machine removes
// those of processes that no longer run when it takes over the killed update's lock files. Those
// of a process still running, or of another machine, are never touched. Never throw.
#pragma once

#include <QByteArray>

#include <functional>

namespace K7X_DoruVevuzu::documents {

// The name of a new temporary file for the document named `name`, ending in XXXXXX to be made
// unique.
QByteArray temporaryPattern(const QByteArray& name);
// Removes, from the open folder `folder`, the temporary files for the document named `name`
// written on this machine by processes that are gone.
void removeLeftovers(int folder, const QByteArray& name);
// Makes `name` (ending in XXXXXX) a fresh name for which `make` succeeds; 0 or the error.
int underFreshName(QByteArray& name, const std::function<bool()>& make);
// A new file in `folder`: without a name when `unnamed` and the file system (and /proc, through
// which it is named later) allow one, which `unnamed` then tells, else under `pattern` made
// unique; -1 and errno on failure.
int createTemporary(int folder, QByteArray& pattern, bool& unnamed);

} // namespace K7X_DoruVevuzu::documents
