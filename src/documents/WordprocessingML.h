// The WordprocessingML (.docx) side of the engine: the walker that indexes one story and the
// encoder that writes text back into runs.
//
// Positions follow the word processor's own: text, tabs, breaks, paragraph ends and cell ends
// are one character each; drawings, symbols and note references are one object character;
// properties, bookmarks, proof marks, comment ranges and wrappers (hyperlinks, content
// controls, smart tags) take no room. A field shows its result: its instructions take no room.
// Tracked changes show in their final form: deleted text and deleted paragraph marks are not
// there, inserted text is, each insertion its own scope. Element names are matched with the
// prefixes that every producer writes (w:, mc:). Pure functions of the XML; no state kept.
#pragma once

#include "documents/Story.h"

namespace K7X_DoruVevuzu::documents {

const TextEncoder& wordprocessingEncoder();
// Indexes the content of `root` (a w:body, w:hdr, w:footnotes, w:txbxContent...) into `story`.
void walkWordprocessingStory(Story& story, pugi::xml_node root);

} // namespace K7X_DoruVevuzu::documents
