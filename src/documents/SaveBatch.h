// SaveBatch: the new content of one or more files, put in place so that a crash at any moment
// leaves each file either old or new, never broken.
//
// Files are found at their places (documents/Place.h): every folder is reached from the open
// documents folder, never through a link, and only one is open at a time, so any number of
// subfolders costs one descriptor. add() has a file's new content written at once into a temporary
// file in the file's folder (documents/TemporaryNames.h), with what it takes over from the old file
// (documents/FileAccess.h): the old file's permission bits (set-user and set-group-ID
// dropped), extended attributes (its access lists among them; those of the security namespace
// the user may not set are left out; an access list inherited from the folder goes when the old
// file had none) and owner, or, where only the group may be given, its group. A file whose owner
// and group cannot be kept while its mode gives them rights that others lack is refused: who
// could open it before could not after; so is another user's file in a sticky folder that is not
// the updater's (only its owner may rename over it). The temporary file has no name while it
// waits (it is kept open; past a quarter of the process's descriptor limit, at most 256, or where
// the file system cannot do it, it is a hidden file named after the document, the machine and the
// process: documents/TemporaryNames.h), so a process killed before the commit leaves nothing
// behind that the next update does not remove. commit() flushes each
// file system once when there are several files (each staged file then only asked for its own
// write error, the disk not flushed again), a file alone on its own; checks that no file changed
// since it was read (another program saved it, or put a link in its place) before the first rename
// and again before each (or, asked to, leaves such a file as it is and fails after the others are
// in place); then names and renames each over its file, in the order added, relative to
// its folder (opened without following a link), and flushes the folders' entries so that the
// renames survive a power cut, on failure too. A batch destroyed without a commit removes its
// temporary files and leaves every file as it was. Failures are RuntimeError
// (DocumentFault::NotSaved) telling why in Italian: before the renames nothing has changed; a
// failed rename leaves the files renamed before it new. Owns the open temporary files and the
// open folder.
// One thread at a time.
#pragma once

#include "documents/Descriptor.h"
#include "documents/FileIdentity.h"
#include "documents/Place.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace K7X_DoruVevuzu::documents {

class SaveBatch {
public:
    SaveBatch() = default;
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

    // Refuses, as add() would, a file that is no regular file or whose access a new file written
    // by this process could not keep; nothing is written.
    static void checkReplaceable(const Place& place);
    // Stages the new content of the file at `place`, which `write` writes into the empty file it
    // is given (throwing RuntimeError when it cannot); `identity` is the file as it was read.
    using Writer = std::function<void(int fd)>;
    void add(const Place& place, const Writer& write, const FileIdentity& identity);
    // How commit() meets a file changed since it was read: nothing is renamed, or that file is
    // left as the other program made it, the others are put in place, and then it fails naming
    // the first one left.
    enum class Changed { StopAll, LeaveIt };

    // Flushes the staged files and checks that none changed since it was read: after it, only
    // the renames remain. commit() does it first when it was not done.
    void ready();
    void commit(Changed changed = Changed::StopAll);

private:
    struct Staged {
        Place place;
        FileIdentity identity;
        QByteArray temporary; // its name in the folder; empty once renamed
        int unnamed = -1;     // the open unnamed file, or -1
    };
    int folderOf(const Place& place);
    void closeFolder();
    void flush();
    bool unchanged(std::size_t staged);
    void checkUnchanged(std::size_t staged);
    int giveName(Staged& staged, int folder);
    [[noreturn]] void abandon(std::size_t failed, int error);
    void finish();
    void discard();

    std::vector<Staged> m_staged;
    Descriptor m_folder;                // the folder last used, the only one open
    const OpenFolder* m_root = nullptr; // what m_folder was reached from, and how
    QByteArray m_folderPath;
    bool m_renamedInFolder = false; // so flushed before it is closed
    std::size_t m_open = 0;
    bool m_ready = false; // flushed and checked: only the renames remain
};

} // namespace K7X_DoruVevuzu::documents
