#include "formulas/DocumentUpdate.h"

#include "control/Errors.h"
#include "formulas/BackgroundSaver.h"
#include "formulas/DocumentFields.h"

#include <QFileInfo>

#include <memory>

namespace K7X_DoruVevuzu {

namespace {

using documents::Document;

constexpr qsizetype kFieldShownInMessages = 80;

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
    std::optional<documents::LockHolder> holder;
    if (!m_locks.take(
            path, [&](const documents::LockHolder& other) { m_waiting(name, other); }, holder))
        held(name, path, holder);
    const auto document = Document::open(path);
    if (document->readOnly())
        held(name, path, std::nullopt);
    Planned planned{name, path, document->identity(), {}};
    const std::vector<formulas::RenamedField> fields =
        formulas::renamedFields(*document, m_oldCode, m_newCode);
    for (auto field = fields.begin(); field != fields.end();) {
        StoryEdits story{field->story, {}};
        std::vector<const formulas::RenamedField*> fieldOfEdit; // names a refused edit's field
        for (; field != fields.end() && field->story == story.story; ++field) {
            story.edits.insert(story.edits.end(), field->edits.begin(), field->edits.end());
            fieldOfEdit.resize(story.edits.size(), &*field);
        }
        if (story.edits.empty())
            continue;
        std::size_t refused = 0;
        try {
            document->check(story.story, story.edits, &refused);
        } catch (const RuntimeError& failure) {
            throw RuntimeError(
                failure.number(), failure.source(),
                QStringLiteral("%1 Campo: '%2'.")
                    .arg(failure.description(), shortened(fieldOfEdit[refused]->text)));
        }
        planned.stories.push_back(std::move(story));
    }
    if (!planned.stories.empty()) {
        documents::SaveBatch::checkReplaceable(path); // refused before anything is written
        m_planned.push_back(std::move(planned));
    }
}

void DocumentUpdate::write(const std::function<void(const QString& name)>& progress) {
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

void DocumentUpdate::ready() {
    m_staged.ready();
}

void DocumentUpdate::commit() {
    m_staged.commit();
}

} // namespace K7X_DoruVevuzu
