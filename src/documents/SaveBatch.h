// SaveBatch: the new content of one or more files, put in place so that a crash at any moment
// leaves each file either old or new, never broken.
//
// add() writes a file's new content at once into a hidden temporary file beside it, with the
// old file's permission bits (and, when allowed, its owner). commit() makes every staged file
// durable, each on its own when there is one, else with one flush of their file system, which
// costs one disk flush instead of one a file; then renames each over its file, in the order
// added, and flushes the folders' entries so that the renames survive a power cut. A batch
// destroyed without a commit removes its temporary files and leaves every file as it was.
// Failures are RuntimeError (DocumentFault::NotSaved) telling why in Italian: before the
// renames nothing has changed; a failed rename leaves the files renamed before it new.
// One thread at a time.
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
        QByteArray temporary;
    };
    void flush();
    void discard(std::size_t from);

    std::vector<Staged> m_staged;
};

// A batch of one.
void replaceFileAtomically(const QString& path, const QByteArray& content);

} // namespace K7X_DoruVevuzu::documents
