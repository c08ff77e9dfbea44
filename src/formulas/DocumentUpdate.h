// DocumentUpdate: carries an index code change into report documents in three steps, so that
// nothing is written before every document has been read, scanned and planned.
//
// plan() first holds the document (documents/DocumentLocks.h: its lock file, taken in the order the
// documents are planned, so two updates never hold half each; another update's lock is waited for,
// telling `waiting` whom for), then opens it, refuses it when it is held read-only, finds every
// formula field of every story, rewrites each field's script by the reference rule
// (formulas/References.h) and checks every edit the document needs; then it closes the document and
// keeps only what the write needs: its identity and its edits. A document with edits whose
// owner, group or access the new file could not keep is refused here (SaveBatch::checkReplaceable).
// Only one document's tree is held while planning (the tree is parsed again when the document is
// written), and no document stays open. A damaged part, or a field the engine cannot rewrite, stops
// the plan naming the document and the field's text.
//
// Which fields change, and how, is formulas/DocumentFields.h's scan.
//
// write() opens each planned document again, in the order planned, refuses one that changed
// since it was planned (another program wrote it), makes its edits and stages the new file on a
// worker thread while the next is edited; ready() flushes the new files and checks every document
// against its identity, so that after it only the renames remain; commit() puts every new file in
// place (after ready(), when not called before), each checked again just before its rename
// (SaveBatch.h). When write() fails (a disk full, a document changed meanwhile) the documents
// staged before the failure wait: commit() puts them in place, as the component's failure
// handling expects; an update destroyed without commit() leaves every document as it was.
// The update owns its locks: they go with it, after the batch, whether it committed or failed.
// Failures are RuntimeError. One thread drives it.
#pragma once

#include "documents/Document.h"
#include "documents/DocumentLocks.h"
#include "documents/FileIdentity.h"
#include "documents/SaveBatch.h"

#include <QString>

#include <functional>
#include <vector>

namespace K7X_DoruVevuzu {

// The source of the update's own failures.
inline const QString kUpdateSource = QStringLiteral("Aggiornamento formule.");

class DocumentUpdate {
public:
    using Waiting = std::function<void(const QString& name, const documents::LockHolder& holder)>;
    DocumentUpdate(QString oldCode, QString newCode, Waiting waiting);

    // Plans the document listed as `name` and found at `path`.
    void plan(const QString& name, const QString& path);
    // Writes every planned document, telling `progress` the name of each as it starts.
    void write(const std::function<void(const QString& name)>& progress);
    void ready();
    void commit();

private:
    struct StoryEdits {
        int story = 0;
        std::vector<documents::Replacement> edits;
    };
    struct Planned {
        QString name;
        QString path;
        documents::FileIdentity identity;
        std::vector<StoryEdits> stories;
    };
    QString m_oldCode;
    QString m_newCode;
    Waiting m_waiting;
    documents::DocumentLocks m_locks; // released after m_staged goes
    std::vector<Planned> m_planned;   // only the documents with something to change
    documents::SaveBatch m_staged;
};

} // namespace K7X_DoruVevuzu
