// Replacing a file's content so that a crash at any moment leaves the old or the new file.
//
// AtomicFile opens a new hidden file in the same folder as `path`; the caller writes the new
// content through descriptor() and calls commit(), which gives the new file the old file's
// permission bits (and, when allowed, its owner), flushes it to disk and renames it over the
// old file; the folder is flushed too, so the rename itself survives a power cut. Destroyed
// without a commit (or when the commit fails), it removes the temporary file and the old file
// stays untouched. Failures are RuntimeError (DocumentFault::NotSaved) telling why in Italian.
// replaceFileAtomically() does the same for content already in memory. Safe to use from any
// thread on distinct paths.
#pragma once

#include <QByteArray>
#include <QString>

namespace K7X_DoruVevuzu::documents {

class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int descriptor() const { return m_fd; }
    void commit();

private:
    [[noreturn]] void giveUp(int error);

    QString m_path;
    QByteArray m_target;
    QByteArray m_folder;
    QByteArray m_temporary;
    int m_fd = -1;
};

void replaceFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace K7X_DoruVevuzu::documents
