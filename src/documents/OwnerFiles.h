// Whether a document may not be rewritten now.
//
// True when the file carries no write permission at all (the read-only attribute, honoured
// even for an administrator), when this user may not write it or its folder (the save
// replaces the file through a new one in the folder), or when another program holds it open:
// a word processor leaves an owner file next to it, "~$" + the name (for long names the
// convention drops the first characters of the name, so both spellings are looked for) or
// ".~lock." + the name + "#". Never throws; thread-safe.
#pragma once

#include <QString>

namespace K7X_DoruVevuzu::documents {

bool isHeldReadOnly(const QString& path);

} // namespace K7X_DoruVevuzu::documents
