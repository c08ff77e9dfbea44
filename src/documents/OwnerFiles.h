// Whether a document may not be rewritten now.
//
// True when the file carries no write permission at all (the read-only attribute, honoured
// even for an administrator), when this user may not write it or its folder (the save
// replaces the file through a new one in the folder), or when another program holds it open.
// A word processor holding a document leaves one of two files beside it:
// - a lock file, ".~lock." + the name + "#" (see documents/DocumentLocks.h), which an update
//   writes too while it holds the document: one held by this process does not count;
// - an owner file, "~$" + the name, where the word processor drops the name's first character
//   when the name without its extension has 7 characters, its first two when it has 8 or more
//   ("~$pporto.docx" for "rapporto.docx", "~$ab.docx" for "ab.docx"): only that spelling is
//   looked for, so another document's owner file ("~$b.docx" for "b.docx") never holds this one.
//   An update never writes owner files: their binary layout is not documented (only described
//   from observation: the user's name in a small fixed-size record), not well enough to write
//   one the word processor would read back as meant; the lock file alone holds the document.
// Looked at in the document's folder as found (documents/Place.h): a lock or owner file of any
// kind, a link or a pipe too, holds the document. Never throws; thread-safe.
#pragma once

#include "documents/Place.h"

namespace K7X_DoruVevuzu::documents {

bool isHeldReadOnly(const Place& place);
// Whether a file named `fileName` is a word processor's owner file ("~$…"), not a document.
bool isOwnerFileName(const QString& fileName);
// Why such a document is not rewritten, as a message's clause: "è di sola lettura o aperto…".
QString heldReadOnlyReason();

} // namespace K7X_DoruVevuzu::documents
