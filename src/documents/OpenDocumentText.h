// The OpenDocument text (.odt) format: its table of elements for the shared walker and piece
// placer (Markup.h), and where its stories live.
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

#include "documents/Format.h"

namespace K7X_DoruVevuzu::documents {

// The format of a package whose mimetype says OpenDocument text (or its template).
std::unique_ptr<Format> openDocumentTextFormat();

} // namespace K7X_DoruVevuzu::documents
