#include "formulas/DocumentUpdate.h"

#include "control/Errors.h"
#include "documents/Story.h"
#include "formulas/BackgroundSaver.h"
#include "formulas/References.h"

#include <K7XBO_Global/CDocFields.h>

#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace K7X_DoruVevuzu {

namespace {

using documents::Document;
using documents::Range;
using documents::Replacement;

constexpr qsizetype kFieldShownInMessages = 80;

struct Markers {
    QString start;
    QString end;
};

Markers fieldMarkers() {
    const auto& fields = K7XBO_Global::CDocFields::instance();
    Markers markers{fields.FieldStart(), fields.FieldEnd()};
    if (markers.start.isEmpty() || markers.end.isEmpty())
        fail(RuntimeError::ObjectError,
             QStringLiteral("I delimitatori dei campi formula non sono impostati."), kUpdateSource);
    return markers;
}

bool endsParagraph(QChar c) {
    return c == documents::mark::ParagraphEnd || c == documents::mark::CellEnd;
}

// A formula field: where its text stands in its story, and the text.
struct Field {
    Range range;
    QString text;
};

// The formula fields of one story: the text between each opening marker and the next closing
// marker, an opening marker stranded in an earlier paragraph or cell aside.
std::vector<Field> fieldsOf(Document& document, int story, const Markers& markers) {
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
        qsizetype opens = 0; // where the field's text starts in `text`, or -1 for no field
        if (boundary > 0) {  // the opening marker was stranded: look in this paragraph
            opens = text.indexOf(markers.start, boundary);
            opens = opens < 0 ? -1 : opens + markers.start.size();
        }
        if (opens >= 0 && opens < text.size())
            fields.push_back({{pos + static_cast<int>(opens), found->start}, text.mid(opens)});
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

// The edits that make the field at `field` (its text `text`) read as its script rewritten.
void addFieldEdits(std::vector<Replacement>& edits, Range field, const QString& text,
                   const QString& oldCode, const QString& newCode) {
    const QString script = K7XBO_Global::CDocFields::instance().FieldScript(text).toString();
    const formulas::ReferenceRewrite rewrite = formulas::findReferences(script, oldCode, newCode);
    const QString rewritten = rewrite.appliedTo(script);
    if (rewrite.ranges.empty() || rewritten == script)
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
    for (const formulas::ReferenceRange& reference : rewrite.ranges) {
        keepOrRetype(reference.from);
        addTrimmed(edits, field.start + int(reference.from),
                   QStringView(text).mid(reference.from, reference.to - reference.from),
                   rewrite.written);
        done = reference.to;
    }
    keepOrRetype(text.size());
}

// Stops the update on the document listed as `name` (at `path`), held read-only or by another
// program, naming its holder when known.
[[noreturn]] void held(const QString& name, const QString& path,
                       const std::optional<documents::LockHolder>& holder) {
    QString description = QStringLiteral("Impossibile aggiornare '") + name + u'\'';
    if (holder && holder->update)
        description +=
            QStringLiteral(": lo sta aggiornando %1 su %2 dal %3; se quell'aggiornamento "
                           "non è più in corso, eliminare il file '%4' accanto al "
                           "documento")
                .arg(holder->user, holder->host, holder->date,
                     QFileInfo(documents::lockFileOf(path)).fileName());
    else if (holder)
        description += QStringLiteral(": è aperto da %1 su %2 dal %3")
                           .arg(holder->user, holder->host, holder->date);
    fail(RuntimeError::ObjectError, description, kUpdateSource);
}

QString shortened(const QString& text) {
    return text.size() <= kFieldShownInMessages ? text
                                                : text.left(kFieldShownInMessages) + u'\x2026';
}

} // namespace

DocumentUpdate::DocumentUpdate(QString oldCode, QString newCode, Waiting waiting)
    : m_oldCode(std::move(oldCode)), m_newCode(std::move(newCode)), m_waiting(std::move(waiting)) {}

void DocumentUpdate::plan(const QString& name, const QString& path) {
    const Markers markers = fieldMarkers();
    std::optional<documents::LockHolder> holder;
    if (!m_locks.take(
            path, [&](const documents::LockHolder& other) { m_waiting(name, other); }, holder))
        held(name, path, holder);
    const auto document = Document::open(path);
    if (document->readOnly())
        held(name, path, std::nullopt);
    Planned planned{name, path, document->identity(), {}};
    for (int story = 0; story < document->storyCount(); ++story) {
        std::vector<Replacement> edits;
        const std::vector<Field> fields = fieldsOf(*document, story, markers);
        std::vector<std::size_t> fieldOfEdit; // to name the field of a refused edit
        for (std::size_t k = 0; k < fields.size(); ++k) {
            addFieldEdits(edits, fields[k].range, fields[k].text, m_oldCode, m_newCode);
            fieldOfEdit.resize(edits.size(), k);
        }
        if (edits.empty())
            continue;
        std::size_t refused = 0;
        try {
            document->check(story, edits, &refused);
        } catch (const RuntimeError& failure) {
            throw RuntimeError(
                failure.number(), failure.source(),
                QStringLiteral("%1 Campo: '%2'.")
                    .arg(failure.description(), shortened(fields[fieldOfEdit[refused]].text)));
        }
        planned.stories.push_back({story, std::move(edits)});
    }
    if (!planned.stories.empty()) {
        documents::SaveBatch::checkReplaceable(path); // refused before anything is written
        m_planned.push_back(std::move(planned));
    }
}

void DocumentUpdate::write(const std::function<void(const QString& name)>& progress) {
    try {
        writeAll(progress);
    } catch (...) {
        try { // the documents staged before the failure keep their new content
            m_staged.commit();
        } catch (const std::exception&) {
        }
        throw;
    }
}

void DocumentUpdate::writeAll(const std::function<void(const QString& name)>& progress) {
    BackgroundSaver saver(m_staged); // gone before the batch it stages into
    for (const Planned& planned : m_planned) {
        progress(planned.name);
        auto document = Document::open(planned.path);
        if (!(document->identity() == planned.identity))
            fail(RuntimeError::ObjectError, documents::changedMeanwhile(planned.name),
                 kUpdateSource);
        for (const StoryEdits& story : planned.stories)
            document->replace(story.story, story.edits);
        saver.save(std::move(document));
    }
    saver.finish();
}

void DocumentUpdate::commit() {
    m_staged.commit();
}

} // namespace K7X_DoruVevuzu
