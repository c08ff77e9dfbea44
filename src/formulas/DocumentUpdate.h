// DocumentUpdate: carries an index code change into report documents, one pass over each
// document, two documents at a time, so that nothing is put in place before every document has
// been read, planned and its new file checked whole.
//
// add() lists a document; finish() does the work. It first holds every document listed
// (documents/DocumentLocks.h: its lock file), in the order of the files themselves (device and
// inode), so that two updates listing the same files under other names or in another order never
// each wait for the other; another update's lock is waited for, telling `waiting` whom for, and
// once one document cannot be held the others are only tried. Then it hands each document held,
// in the order listed and telling `opening` its name, to one of two worker threads, which opens it,
// refuses it when it is held read-only, finds every formula field of every story
// (formulas/DocumentFields.h), checks and makes every edit the document needs, refuses one whose
// owner, group or access a new file could not keep (SaveBatch::checkReplaceable) and checks its new
// file whole (documents/NewPackage.h: an entry its package cannot copy, a name twice, encrypted, is
// refused then). The calling thread writes each new file in the order listed (documents/
// SaveBatch.h: a temporary file beside the document, its untouched entries streamed from the old
// file), while the workers go on with the next documents: at most three documents are open at
// once. A damaged part or entry, or a field the engine cannot rewrite, stops the update naming the
// document and the field's text; the first failure in the order listed is the one that comes out,
// a document that could not be held included. Workers that cannot be started fail the update
// before anything else.
//
// ready() also flushes the new files and checks every document against its identity, so that
// after it only the renames remain; commit() puts every new file in place (finishing first when
// not done), each checked again just before its rename (SaveBatch::Changed says whether a
// document another program changed meanwhile stops them all or is left out). keepWritten(), after
// a failure of finish(), puts in place the documents staged before it when the failure came
// while new files were written (a disk full), as the component's failure handling expects; after
// a failure while documents were read and planned, or an old entry found unreadable while
// copied, it leaves every document as it was, as does an update destroyed without commit(). The
// update owns its locks: they go with it, after the batch, whether it committed or failed.
// Failures are RuntimeError. One thread drives it.
#pragma once

#include "documents/DocumentLocks.h"
#include "documents/FileIdentity.h"
#include "documents/NewPackage.h"
#include "documents/SaveBatch.h"
#include "formulas/DocumentFields.h"

#include "formulas/WorkerThreads.h"
#include <QByteArray>
#include <QString>

#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace K7X_DoruVevuzu {

// The source of the update's own failures.
inline const QString kUpdateSource = QStringLiteral("Aggiornamento formule.");

// `count` worker threads for `work` (Italian, e.g. "l'aggiornamento dei documenti"), or a
// RuntimeError when the system will not give them.
WorkerThreads startedWorkers(int count, const QString& work);

class DocumentUpdate {
public:
    using Waiting = std::function<void(const QString& name, const documents::LockHolder& holder)>;
    using Opening = std::function<void(const QString& name)>;
    DocumentUpdate(QString oldCode, QString newCode, Waiting waiting, Opening opening = {});

    // Lists the document named `name` and found at `place`, for finish() to hold and rewrite.
    void add(const QString& name, const documents::Place& place);
    void finish();
    void ready();
    void commit(documents::SaveBatch::Changed changed = documents::SaveBatch::Changed::StopAll);
    void keepWritten() noexcept;

private:
    struct Listed {
        QString name;
        documents::Place place;
    };
    // A document as a worker leaves it: its new file, none when nothing changes.
    struct Rewritten {
        std::unique_ptr<documents::NewPackage> content;
        documents::FileIdentity identity;
    };
    struct Pending {
        documents::Place place;
        std::future<Rewritten> rewritten;
    };
    std::size_t holdAll(const std::vector<Listed>& listed,
                        std::optional<documents::LockHolder>& holder);
    Rewritten rewrite(const QString& name, const documents::Place& place) const;
    void stageOldest();

    QString m_oldCode;
    QString m_newCode;
    formulas::FieldMarkers m_markers; // read here, before any worker starts
    Waiting m_waiting;
    Opening m_opening;
    std::vector<Listed> m_listed;     // not held yet
    documents::DocumentLocks m_locks; // released after m_staged goes
    documents::SaveBatch m_staged;
    std::deque<Pending> m_pending; // handed to the workers, not staged yet, in order
    bool m_failedWriting = false;
    WorkerThreads m_workers; // last: gone first, once the documents it holds are done
};

} // namespace K7X_DoruVevuzu
