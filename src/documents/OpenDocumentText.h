// The OpenDocument text (.odt) side of the engine: the walker that indexes one story and the
// encoder that writes text back into spans.
//
// Positions count what a reader sees: text after white-space collapsing (runs of spaces, tabs
// and line feeds in the XML show as one space; none at the start or end of a paragraph),
// text:s as its count of spaces, text:tab and text:line-break as one character, paragraph and
// cell ends as one; notes and frames are one object character; bookmarks, reference marks,
// change marks, spans and links take no room. Text fields (date, page number, variables...)
// show their content, each its own scope; text between text:change-start and text:change-end
// is a tracked insertion, its own scope. Writing keeps the visible text exact by spelling
// spaces that would collapse as text:s. Prefixes are those every producer writes (text:,
// table:, draw:, office:, style:). No state kept between calls.
#pragma once

#include "documents/Story.h"

namespace K7X_DoruVevuzu::documents {

const TextEncoder& openDocumentEncoder();
// Indexes the content of `root` (office:text, a note body, a header, a text box...) into
// `story`, after whatever the story already holds.
void walkOpenDocumentStory(Story& story, pugi::xml_node root);

} // namespace K7X_DoruVevuzu::documents
