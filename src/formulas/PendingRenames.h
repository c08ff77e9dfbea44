// The record of a rename whose database commit may come before every report document is renamed,
// kept beside the documents until the last one is.
//
// A rename writes its record (the model, the old and the new code, the documents' names) in the
// documents folder and flushes it (file and folder) before it commits to the database, and
// removes it once every document holds the new code. A record left behind (the process killed
// between the commit and the renames, a document that could not be renamed) is finished by
// whoever finds it first, before anything else: the next document update, the next rename, the
// demo at its start. finishRenames() reads each record: when the model holds the new code the
// commit happened, and every listed document still naming the old code is rewritten, each on its
// own so that one that cannot be does not stop the others; when it does not, the rename never
// committed and the record goes. Records are files named ".ctlIndici-rinomina-*.json"; another
// process finishing the same record at once only finds nothing left to change. Failures are
// RuntimeError (source "Aggiornamento formule."), naming the documents still to finish.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu::formulas {

// The record of one rename, removed when it goes unless kept().
class PendingRename {
public:
    // Writes and flushes the record. Raises when it cannot be written.
    PendingRename(K7XBO_Global::CGlobal& service, const QString& model, const QString& oldCode,
                  const QString& newCode, const QStringList& documents);
    ~PendingRename();
    PendingRename(const PendingRename&) = delete;
    PendingRename& operator=(const PendingRename&) = delete;

    // The database has committed: the record stays until finishRenames() has done its work.
    void kept() { m_keep = true; }

private:
    QString m_path;
    bool m_keep = false;
};

// A rename recorded in the documents folder: its record's file name and what it tells.
struct RecordedRename {
    QString file;
    QString model, oldCode, newCode;
    QStringList documents;
};

// The renames recorded in the documents folder of `service` whose database commit happened (the
// model holds the new code), by their records' names: those finishRenames() would finish. None
// when the folder is not set. Reads only; a database failure raises.
std::vector<RecordedRename> committedRenames(K7XBO_Global::CGlobal& service);

// Finishes every rename recorded in the documents folder of `service`; does nothing when the
// folder is not set. Raises naming the documents that could not be finished (their record stays).
void finishRenames(K7XBO_Global::CGlobal& service);

} // namespace K7X_DoruVevuzu::formulas
