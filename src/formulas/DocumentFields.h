// The formula fields of a report document that refer to an index code, and what a rename makes
// of each: the one scan that the document update plans with and that the usage and the rename
// preview list, so a preview shows exactly what the update writes.
//
// A field is the text from an opening marker (CDocFields::FieldStart) to the next closing marker;
// an opening marker left without its closing one in an earlier paragraph or cell does not take
// the next paragraph's field with it: the field opens at the first opening marker of the closing
// marker's own paragraph. When that paragraph holds none, the field is the whole text from the
// earlier opening marker, across the paragraph or cell end: it is listed where the code is used,
// and a rename that would change it is refused (refuseFieldsAcrossParagraphs), since what the
// host reads there is more likely a marker left open than one formula.
//
// Inside a field only what the rename changes is typed: each rewritten reference less what it
// keeps at its ends, and any character the host's field reading (CDocFields::FieldScript) changed,
// such as a typographic quote read as a plain one; so the field then reads as its rewritten script
// while the rest keeps its formatting. A host whose reading changes a field's length has the whole
// field typed. Failures (markers not set, a damaged part) are RuntimeError.
#pragma once

#include "documents/Document.h"

#include <QString>

#include <optional>
#include <vector>

namespace K7X_DoruVevuzu::formulas {

// One field that refers to the code: where it stands, its text, the text the rename leaves, and
// the story's edits that make it so (none when the rename leaves it as it is).
struct RenamedField {
    int story = 0;
    documents::Range range;
    QString text;
    QString after;
    std::vector<documents::Replacement> edits;
    bool acrossParagraphs = false; // its text crosses a paragraph or cell end
};

// The field markers (CDocFields::FieldStart and FieldEnd), read by the thread that drives an
// update before any worker starts: the host may change them while the progress window paints.
struct FieldMarkers {
    QString start;
    QString end;
};
FieldMarkers hostMarkers();

// A formula field of a story: where its text stands, the text, its script as the host reads it
// (CDocFields::FieldScript), and whether the text crosses a paragraph or cell end.
struct FormulaField {
    int story = 0;
    documents::Range range;
    QString text;
    QString script;
    bool acrossParagraphs = false;
};

// Every formula field of `document`, in story then position order. Raises when a marker is empty.
std::vector<FormulaField> formulaFields(documents::Document& document, const FieldMarkers& markers);

// What a rename of `oldCode` to `newCode` makes of `field`; none when it does not refer to it.
std::optional<RenamedField> renamedField(const FormulaField& field, const QString& oldCode,
                                         const QString& newCode);

// Every field of `document` whose script refers to `oldCode`, in story then position order.
// Raises when a marker is empty.
std::vector<RenamedField> renamedFields(documents::Document& document, const FieldMarkers& markers,
                                        const QString& oldCode, const QString& newCode);

// Refuses (RuntimeError, DocumentFault::Refused, naming the document and the field) the first of
// `fields` whose text crosses a paragraph or cell end and that the rename would change.
void refuseFieldsAcrossParagraphs(const documents::Document& document,
                                  const std::vector<RenamedField>& fields);

// A field's text as a message shows it: paragraph and cell ends as "¶", cut after 80 characters.
QString fieldInMessages(QString text);

} // namespace K7X_DoruVevuzu::formulas
