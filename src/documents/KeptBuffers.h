// KeptBuffers: every kind of buffer a thread that reads and rewrites documents keeps between
// them (documents/Spares.h), for as long as it exists.
#pragma once

#include "documents/Spares.h"
#include "documents/Story.h"

namespace K7X_DoruVevuzu::documents {

struct KeptBuffers {
    Spares<QByteArray>::Keeping bytes;              // XML, read and written; deflated bytes
    Spares<QString>::Keeping texts;                 // stories' text
    Spares<std::vector<Segment>>::Keeping segments; // stories' index
};

} // namespace K7X_DoruVevuzu::documents
