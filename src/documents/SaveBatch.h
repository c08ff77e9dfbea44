// SaveBatch: the new content of one or more files, put in place so that a crash at any moment
// leaves each file either old or new, never broken.
//
// add() writes a file's new content at once into a temporary file in the file's folder, with
// the old file's permission bits (and, when allowed, its owner). The temporary file has no
// name while it waits (it is kept open; past a quarter of the process's descriptor limit, at most
// 256, or where the file system cannot do it, it is a hidden file named after the document), so a
// process killed before the commit leaves nothing behind. commit() makes every staged file durable,
// each on its own when there is one, else with one flush of their file system, which costs one disk
// flush instead of one a file; then names and renames each over its file, in the order added, and
// flushes the folders' entries so that the renames survive a power cut. A batch destroyed
// without a commit removes its temporary files and leaves every file as it was.
// Failures are RuntimeError (DocumentFault::NotSaved) telling why in Italian: before the
// renames nothing has changed; a failed rename leaves the files renamed before it new.
// Owns the open temporary files. One thread at a time.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace K7X_DoruVevuzu::documents {

class SaveBatch {
public:
    SaveBatch() = default;
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

    void add(const QString& path, const QByteArray& content);
    void commit();

private:
    struct Staged {
        QString path;
        QByteArray target;
        QByteArray folder;
        QByteArray temporary; // empty while the file has no name
        int unnamed = -1;     // the open unnamed file, or -1
    };
    void flush();
    int giveName(Staged& staged);
    [[noreturn]] void abandon(std::size_t failed, int error);
    void discard();

    std::vector<Staged> m_staged;
    std::size_t m_open = 0;
};

} // namespace K7X_DoruVevuzu::documents
