#include "formulas/DocumentUpdate.h"

#include "documents/Descriptor.h"
#include "documents/Document.h"
#include "documents/DocumentError.h"
#include "errors/Errors.h"
#include "formulas/DocumentFields.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <tuple>

namespace K7X_DoruVevuzu {

namespace {

using documents::Document;

// Two documents are read and rewritten at once: both cores, and the memory of two documents.
constexpr int kWorkers = 2;

// Stops the update on the document listed as `name` (at `path`), held read-only or by another
// program, naming its holder when known.
[[noreturn]] void heldBy(const QString& name, const documents::Place& place,
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

// Where a file stands in the order documents are held: by device and inode, those that cannot be
// looked at after every other.
std::tuple<bool, dev_t, ino_t> fileOrder(const documents::Place& place) {
    const documents::Descriptor folder(place.openFolder());
    struct stat status {};
    if (folder.get() >= 0 &&
        ::fstatat(folder.get(), place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return {false, status.st_dev, status.st_ino};
    return {true, 0, 0};
}

} // namespace

WorkerThreads startedWorkers(int count, const QString& work) {
    try {
        return WorkerThreads(count);
    } catch (const std::system_error& refused) {
        fail(RuntimeError::ObjectError,
             QStringLiteral("Impossibile avviare %1: il sistema non concede altri thread (%2).")
                 .arg(work, QString::fromLocal8Bit(refused.code().message().c_str())),
             kUpdateSource);
    }
}

DocumentUpdate::DocumentUpdate(QString oldCode, QString newCode, Waiting waiting, Opening opening)
    : m_oldCode(std::move(oldCode)), m_newCode(std::move(newCode)),
      m_markers(formulas::hostMarkers()), m_waiting(std::move(waiting)),
      m_opening(std::move(opening)),
      m_workers(startedWorkers(kWorkers, QStringLiteral("l'aggiornamento dei documenti"))) {}

void DocumentUpdate::add(const QString& name, const documents::Place& place) {
    m_listed.push_back({name, place});
}

// Holds the documents listed in the order of their files; answers the first in list order that
// could not be held (`holder` its holder, when known), or the count when all were.
std::size_t DocumentUpdate::holdAll(const std::vector<Listed>& listed,
                                    std::optional<documents::LockHolder>& holder) {
    std::vector<std::pair<std::tuple<bool, dev_t, ino_t>, std::size_t>> order;
    for (std::size_t k = 0; k < listed.size(); ++k)
        order.emplace_back(fileOrder(listed[k].place), k);
    std::sort(order.begin(), order.end());
    std::size_t refused = listed.size();
    for (const auto& entry : order) {
        const Listed& document = listed[entry.second];
        std::optional<documents::LockHolder> by;
        const auto wait = refused == listed.size()
                              ? std::chrono::milliseconds(documents::kWaitForUpdate)
                              : std::chrono::milliseconds(0);
        const auto waiting = [&](const documents::LockHolder& other) {
            m_waiting(document.name, other);
        };
        if (!m_locks.take(document.place, waiting, by, wait) && entry.second < refused) {
            refused = entry.second;
            holder = by;
        }
    }
    return refused;
}

// On a worker: the document read, planned and rewritten in memory.
DocumentUpdate::Rewritten DocumentUpdate::rewrite(const QString& name,
                                                  const documents::Place& place) const {
    const auto document = Document::open(place);
    if (document->readOnly())
        heldBy(name, place, std::nullopt);
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
    rewritten.content = document->newContent();    // checked whole: an entry it cannot copy too
    return rewritten;                              // the document's markup freed, its file open
}

// Waits for the oldest document handed to the workers and stages its new file.
void DocumentUpdate::stageOldest() {
    Pending oldest = std::move(m_pending.front());
    m_pending.pop_front();
    Rewritten rewritten = oldest.rewritten.get(); // a failure while planning comes out here
    if (!rewritten.content)
        return;
    try {
        m_staged.add(
            oldest.place, [&rewritten](int fd) { rewritten.content->writeTo(fd); },
            rewritten.identity);
    } catch (const RuntimeError& failure) { // an old entry unreadable is the document's fault
        m_failedWriting =
            failure.number() != static_cast<qint32>(documents::DocumentFault::Unreadable);
        throw;
    } catch (...) {
        m_failedWriting = true;
        throw;
    }
}

void DocumentUpdate::finish() {
    const std::vector<Listed> listed = std::exchange(m_listed, {});
    std::optional<documents::LockHolder> holder;
    const std::size_t held = holdAll(listed, holder);
    for (std::size_t k = 0; k < held; ++k) { // those before the first not held: an earlier failure
        if (m_opening)
            m_opening(listed[k].name);
        if (m_pending.size() > kWorkers)
            stageOldest();
        auto task = std::make_shared<std::packaged_task<Rewritten()>>(
            [this, document = listed[k]] { return rewrite(document.name, document.place); });
        m_pending.push_back({listed[k].place, task->get_future()});
        m_workers.run([task] { (*task)(); });
    }
    while (!m_pending.empty())
        stageOldest();
    if (held < listed.size())
        heldBy(listed[held].name, listed[held].place, holder);
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
