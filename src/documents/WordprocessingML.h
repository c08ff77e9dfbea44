// The WordprocessingML (.docx) format: its table of elements for the shared walker and piece
// placer (Markup.h), and where its stories live.
//
// Positions follow the word processor's own: text, tabs, breaks, paragraph ends and cell ends
// are one character each; drawings, symbols and note references are one object character;
// properties, bookmarks, proof marks, comment ranges and wrappers (hyperlinks, content
// controls, smart tags) take no room. A field shows its result: its instructions take no room.
// Tracked changes show in their final form: deleted text and deleted paragraph marks are not
// there, inserted text is, each insertion its own scope. Element names are matched with the
// prefixes that every producer writes (w:, mc:). New text goes into w:t (edge spaces kept by
// xml:space="preserve"), w:tab and w:br. Pure functions of the XML; no state kept.
#pragma once

#include "documents/Format.h"

namespace K7X_DoruVevuzu::documents {

// The format of a package whose main part its own relationships name (word/document.xml when
// they name none).
std::unique_ptr<Format> wordprocessingFormat(const Package& package);

} // namespace K7X_DoruVevuzu::documents
