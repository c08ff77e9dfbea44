#include "formulas/DocumentUpdate.h"

#include "control/Errors.h"
#include "documents/Document.h"
#include "formulas/DocumentFields.h"

#include <QFile>

#include <memory>
#include <optional>

namespace K7X_DoruVevuzu {

namespace {

using documents::Document;

// Two documents are read and rewritten at once: both cores, and the memory of two documents.
constexpr int kWorkers = 2;

// Stops the update on the document listed as `name` (at `path`), held read-only or by another
// program, naming its holder when known.
[[noreturn]] void held(const QString& name, const documents::Place& place,
                       const std::optional<documents::LockHolder>& holder) {
    QString description = QStringLiteral("Impossibile aggiornare '") + name + u'\'';
    const QString lockFile = QFile::decodeName(documents::lockNameOf(place.name));
    if (holder && holder->irregular)
        description += QStringLiteral(": accanto al documento, '%1' non è un file di blocco "
                                      "valido (è un collegamento, una pipe o una cartella); "
                                      "eliminarlo se nessuno sta usando il documento")
                           .arg(lockFile);
    else if (holder && holder->update)
        description +=
            QStringLiteral(": lo sta aggiornando %1 su %2 dal %3; se quell'aggiornamento "
                           "non è più in corso, eliminare il file '%4' accanto al "
                           "documento")
                .arg(holder->user, holder->host, holder->date, lockFile);
    else if (holder)
        description += QStringLiteral(": è aperto da %1 su %2 dal %3")
                           .arg(holder->user, holder->host, holder->date);
    fail(RuntimeError::ObjectError, description, kUpdateSource);
}

} // namespace

DocumentUpdate::DocumentUpdate(QString oldCode, QString newCode, Waiting waiting)
    : m_oldCode(std::move(oldCode)), m_newCode(std::move(newCode)),
      m_markers(formulas::hostMarkers()), m_waiting(std::move(waiting)) {
    m_workers.setMaxThreadCount(kWorkers);
    m_workers.setExpiryTimeout(-1); // kept for the whole update
}

void DocumentUpdate::add(const QString& name, const documents::Place& place) {
    std::optional<documents::LockHolder> holder;
    if (!m_locks.take(
            place, [&](const documents::LockHolder& other) { m_waiting(name, other); }, holder)) {
        finish(); // a failure of a document listed before this one is the one to name
        held(name, place, holder);
    }
    if (m_pending.size() > kWorkers)
        stageOldest();
    auto task = std::make_shared<std::packaged_task<Rewritten()>>(
        [this, name, place] { return rewrite(name, place); });
    m_pending.push_back({place, task->get_future()});
    m_workers.start([task] { (*task)(); });
}

// On a worker: the document read, planned and rewritten in memory.
DocumentUpdate::Rewritten DocumentUpdate::rewrite(const QString& name,
                                                  const documents::Place& place) const {
    const auto document = Document::open(place);
    if (document->readOnly())
        held(name, place, std::nullopt);
    const std::vector<formulas::RenamedField> fields =
        formulas::renamedFields(*document, m_markers, m_oldCode, m_newCode);
    formulas::refuseFieldsAcrossParagraphs(*document, fields);
    for (auto field = fields.begin(); field != fields.end();) {
        const int story = field->story;
        std::vector<documents::Replacement> edits;
        std::vector<const formulas::RenamedField*> fieldOfEdit; // names a refused edit's field
        for (; field != fields.end() && field->story == story; ++field) {
            edits.insert(edits.end(), field->edits.begin(), field->edits.end());
            fieldOfEdit.resize(edits.size(), &*field);
        }
        if (edits.empty())
            continue;
        std::size_t refused = 0;
        try {
            document->check(story, edits, &refused);
        } catch (const RuntimeError& failure) {
            throw RuntimeError(failure.number(), failure.source(),
                               QStringLiteral("%1 Campo: '%2'.")
                                   .arg(failure.description(),
                                        formulas::fieldInMessages(fieldOfEdit[refused]->text)));
        }
        document->replace(story, edits);
    }
    Rewritten rewritten{{}, document->identity()};
    if (!document->changed())
        return rewritten;
    documents::SaveBatch::checkReplaceable(place); // refused before anything is written
    rewritten.content = document->newContent();    // in memory: a part it cannot copy is refused
    return rewritten;
}

// Waits for the oldest document added and stages its new file.
void DocumentUpdate::stageOldest() {
    Pending oldest = std::move(m_pending.front());
    m_pending.pop_front();
    Rewritten rewritten = oldest.rewritten.get(); // a failure while planning comes out here
    try {
        if (!rewritten.content.isEmpty())
            m_staged.add(oldest.place, rewritten.content, rewritten.identity);
    } catch (...) {
        m_failedWriting = true;
        throw;
    }
}

void DocumentUpdate::finish() {
    while (!m_pending.empty())
        stageOldest();
}

void DocumentUpdate::ready() {
    finish();
    m_staged.ready();
}

void DocumentUpdate::commit(documents::SaveBatch::Changed changed) {
    finish();
    m_staged.commit(changed);
}

void DocumentUpdate::keepWritten() noexcept {
    if (!m_failedWriting)
        return;
    try {
        m_staged.commit(documents::SaveBatch::Changed::LeaveIt);
    } catch (const std::exception&) { // the failure already on its way says enough
    }
}

} // namespace K7X_DoruVevuzu
