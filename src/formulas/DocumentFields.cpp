#include "formulas/DocumentFields.h"

#include "documents/DocumentError.h"
#include "documents/Story.h"
#include "errors/Errors.h"
#include "formulas/DocumentUpdate.h"
#include "formulas/References.h"

#include <K7XBO_Global/CDocFields.h>

#include <algorithm>

namespace K7X_DoruVevuzu::formulas {

namespace {

using documents::Document;
using documents::Range;
using documents::Replacement;

bool endsParagraph(QChar c) {
    return c == documents::mark::ParagraphEnd || c == documents::mark::CellEnd;
}

constexpr qsizetype kFieldShownInMessages = 80;

// A formula field: where its text stands in its story, the text, and whether it crosses a
// paragraph or cell end.
struct Field {
    Range range;
    QString text;
    bool acrossParagraphs = false;
};

// The formula fields of one story: the text between each opening marker and the next closing
// marker, from the first opening marker of the closing marker's paragraph when the text crosses
// a paragraph end and that paragraph holds one.
std::vector<Field> fieldsOf(Document& document, int story, const FieldMarkers& markers) {
    std::vector<Field> fields;
    int pos = 0;
    bool inField = false;
    while (const auto found = document.find(story, inField ? markers.end : markers.start, pos)) {
        if (!inField) {
            pos = found->start + static_cast<int>(markers.start.size());
            inField = true;
            continue;
        }
        inField = false;
        if (pos >= found->start)
            continue; // an empty field: the scan goes on from where it was
        const QString text = document.text(story, pos, found->start);
        const auto boundary =
            std::find_if(text.rbegin(), text.rend(), endsParagraph).base() - text.begin();
        // Where the field's text starts in `text`: after an opening marker of the closing
        // marker's paragraph, else at the start, across the paragraph end.
        const qsizetype reopened = boundary > 0 ? text.indexOf(markers.start, boundary) : -1;
        const qsizetype opens = reopened < 0 ? 0 : reopened + markers.start.size();
        if (opens < text.size())
            fields.push_back({{pos + static_cast<int>(opens), found->start},
                              text.mid(opens),
                              boundary > 0 && reopened < 0});
        pos = found->end;
    }
    return fields;
}

// Replaces story[at, at + before.size()) by `after`, less what both keep at their ends.
void addTrimmed(std::vector<Replacement>& edits, int at, QStringView before, QStringView after) {
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    if (head == before.size() && head == after.size())
        return;
    if (head > 0 && before[head - 1].isHighSurrogate())
        --head; // a character is kept or typed whole
    if (tail > 0 && before[before.size() - tail].isLowSurrogate())
        --tail;
    edits.push_back({at + static_cast<int>(head), at + static_cast<int>(before.size() - tail),
                     after.mid(head, after.size() - head - tail).toString()});
}

// The edits that make the field at `field` (its text `text`, read by the host as `script`)
// read as its script rewritten.
void addFieldEdits(std::vector<Replacement>& edits, Range field, const QString& text,
                   const QString& script, const ReferenceRewrite& rewrite) {
    const QString rewritten = rewrite.appliedTo(script);
    if (rewritten == script)
        return;
    if (script.size() != text.size()) { // the host reads fields its own way: the whole is typed
        edits.push_back({field.start, field.end, rewritten});
        return;
    }
    qsizetype done = 0;                             // text[0, done) is planned
    const auto keepOrRetype = [&](qsizetype upTo) { // what the host's reading changed, run by run
        for (qsizetype k = done; k < upTo;) {
            qsizetype run = k;
            while (run < upTo && text[run] != script[run])
                ++run;
            if (run > k)
                edits.push_back(
                    {field.start + int(k), field.start + int(run), script.mid(k, run - k)});
            k = run + 1;
        }
    };
    for (const ReferenceRange& reference : rewrite.ranges) {
        keepOrRetype(reference.from);
        addTrimmed(edits, field.start + int(reference.from),
                   QStringView(text).mid(reference.from, reference.to - reference.from),
                   rewrite.written);
        done = reference.to;
    }
    keepOrRetype(text.size());
}

} // namespace

FieldMarkers hostMarkers() {
    const auto& fields = K7XBO_Global::CDocFields::instance();
    return {fields.FieldStart(), fields.FieldEnd()};
}

std::vector<FormulaField> formulaFields(Document& document, const FieldMarkers& markers) {
    if (markers.start.isEmpty() || markers.end.isEmpty())
        fail(RuntimeError::ObjectError,
             QStringLiteral("I delimitatori dei campi formula non sono impostati."), kUpdateSource);
    const auto& host = K7XBO_Global::CDocFields::instance();
    std::vector<FormulaField> found;
    for (int story = 0; story < document.storyCount(); ++story) {
        for (Field& field : fieldsOf(document, story, markers)) {
            QString script = host.FieldScript(field.text).toString();
            found.push_back({story, field.range, std::move(field.text), std::move(script),
                             field.acrossParagraphs});
        }
    }
    return found;
}

std::optional<RenamedField> renamedField(const FormulaField& field, const QString& oldCode,
                                         const QString& newCode) {
    const ReferenceRewrite rewrite = findReferences(field.script, oldCode, newCode);
    if (rewrite.ranges.empty())
        return std::nullopt;
    RenamedField renamed{.story = field.story,
                         .range = field.range,
                         .text = field.text,
                         .after = field.text,
                         .edits = {},
                         .acrossParagraphs = field.acrossParagraphs};
    addFieldEdits(renamed.edits, field.range, field.text, field.script, rewrite);
    if (!renamed.edits.empty())
        renamed.after = rewrite.appliedTo(field.script);
    return renamed;
}

std::vector<RenamedField> renamedFields(Document& document, const FieldMarkers& markers,
                                        const QString& oldCode, const QString& newCode) {
    std::vector<RenamedField> found;
    for (const FormulaField& field : formulaFields(document, markers)) {
        if (auto renamed = renamedField(field, oldCode, newCode))
            found.push_back(std::move(*renamed));
    }
    return found;
}

void refuseFieldsAcrossParagraphs(const Document& document,
                                  const std::vector<RenamedField>& fields) {
    for (const RenamedField& field : fields) {
        if (field.acrossParagraphs && !field.edits.empty())
            documents::documentFailure(
                documents::DocumentFault::Refused,
                QStringLiteral("Impossibile modificare il documento '%1': il campo attraversa la "
                               "fine di un paragrafo o di una cella; riportarlo in un solo "
                               "paragrafo e ripetere. Campo: '%2'.")
                    .arg(documents::displayName(document.path()), fieldInMessages(field.text)));
    }
}

QString fieldInMessages(QString text) {
    for (QChar& c : text) {
        if (endsParagraph(c))
            c = u'\u00B6';
    }
    return text.size() <= kFieldShownInMessages ? text
                                                : text.left(kFieldShownInMessages) + u'\x2026';
}

} // namespace K7X_DoruVevuzu::formulas
