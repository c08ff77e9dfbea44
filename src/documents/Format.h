// Format: what the engine needs to know of one document format (WordprocessingML or
// OpenDocument text): its main part and how to read its stories.
//
// detect() looks at the package's type markers and throws DocumentFault::Unreadable for a
// package of another kind. loadStories() parses the parts that hold text and appends one
// story per position space, the body first; it may throw for damaged parts. Formats hold no
// document state and may be shared.
#pragma once

#include "documents/Story.h"

#include <QString>

#include <memory>
#include <vector>

namespace K7X_DoruVevuzu::documents {

class Package;
class XmlParts;

using Stories = std::vector<std::unique_ptr<Story>>;

class Format {
public:
    virtual ~Format() = default;
    static std::unique_ptr<Format> detect(const Package& package);

    virtual QString mainPart() const = 0;
    virtual void loadStories(XmlParts& parts, Stories& stories) const = 0;
};

// Every element named `name` below `parent`, in document order (walked without recursion).
std::vector<pugi::xml_node> descendantsNamed(pugi::xml_node parent, const char* name);

} // namespace K7X_DoruVevuzu::documents
