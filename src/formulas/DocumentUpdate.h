// DocumentUpdate: carries an index code change into report documents, one pass over each
// document, two documents at a time, so that nothing is put in place before every document has
// been read, planned and rewritten.
//
// add() holds the document on the calling thread (documents/DocumentLocks.h: its lock file, taken
// in the order the documents are added, so two updates never hold half each; another update's
// lock is waited for, telling `waiting` whom for), then hands it to one of two worker threads,
// which opens it, refuses it when it is held read-only, finds every formula field of every story
// (formulas/DocumentFields.h), checks and makes every edit the document needs, refuses one whose
// owner, group or access a new file could not keep (SaveBatch::checkReplaceable) and builds its
// new file in memory. The calling thread stages each new file in the order added
// (documents/SaveBatch.h: a temporary file beside the document), while the workers go on with the
// next documents: at most two documents are open at once, and a third waits its turn. A damaged
// part, one its package cannot copy (a name twice, encrypted), or a field the engine cannot
// rewrite, stops the update naming the document and the field's text; the first failure in the
// order added is the one that comes out.
//
// finish() waits for every document added and stages the last ones; ready() also flushes the new
// files and checks every document against its identity, so that after it only the renames
// remain; commit() puts every new file in place (finishing first when not done), each checked
// again just before its rename (SaveBatch::Changed says whether a document another program changed
// meanwhile stops them all or is left out). keepWritten(), after a failure of add() or finish(),
// puts in place the documents staged before it when the failure came while new files were
// written (a disk full), as the component's failure handling expects; after a failure while
// documents were read and planned it leaves every document as it was, as does an update
// destroyed without commit(). The update owns its locks: they go with it, after the batch, whether
// it committed or failed. Failures are RuntimeError. One thread drives it.
#pragma once

#include "documents/DocumentLocks.h"
#include "documents/FileIdentity.h"
#include "documents/SaveBatch.h"
#include "formulas/DocumentFields.h"

#include <QByteArray>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <exception>
#include <functional>
#include <future>

namespace K7X_DoruVevuzu {

// The source of the update's own failures.
inline const QString kUpdateSource = QStringLiteral("Aggiornamento formule.");

class DocumentUpdate {
public:
    using Waiting = std::function<void(const QString& name, const documents::LockHolder& holder)>;
    DocumentUpdate(QString oldCode, QString newCode, Waiting waiting);

    // Holds the document listed as `name` and found at `place`, and has it rewritten.
    void add(const QString& name, const documents::Place& place);
    void finish();
    void ready();
    void commit(documents::SaveBatch::Changed changed = documents::SaveBatch::Changed::StopAll);
    void keepWritten() noexcept;

private:
    // A document as a worker leaves it: its new file, empty when nothing changes.
    struct Rewritten {
        QByteArray content;
        documents::FileIdentity identity;
    };
    struct Pending {
        documents::Place place;
        std::future<Rewritten> rewritten;
    };
    Rewritten rewrite(const QString& name, const documents::Place& place) const;
    void stageOldest();

    QString m_oldCode;
    QString m_newCode;
    formulas::FieldMarkers m_markers; // read here, before any worker starts
    Waiting m_waiting;
    documents::DocumentLocks m_locks; // released after m_staged goes
    documents::SaveBatch m_staged;
    std::deque<Pending> m_pending; // added, not staged yet, in order
    bool m_failedWriting = false;
    QThreadPool m_workers; // last: gone first, once the documents it holds are done
};

} // namespace K7X_DoruVevuzu
