// DocumentLocks: the report documents an update holds, each with the lock file word processors
// recognise beside it, ".~lock." + the name + "#", one line:
//     ",USER,HOST,dd.mm.yyyy hh:mm,PROFILE;"
// (a word processor's own user name first, left empty here; the login name, the machine's name,
// when the update took its first lock, and where the holder keeps its profile: here
// kUpdateMarker, which tells another update that an update holds the document, not a person).
//
// Every lock file of one update is a link to one file, which the update keeps open with an fcntl
// lock on it (an open file description lock, which the kernel drops when the process dies): so
// any number of documents costs one descriptor (one per file system). A lock file appears whole:
// the file is written and locked before it is linked under the lock file's name, a link that
// fails when a lock file is already there (as O_EXCL does). Where a file system has no unnamed
// files or hard links, each lock file is its own file, created with O_EXCL and written at once,
// and costs a descriptor. A lock file of an update on this
// machine with no fcntl lock was left by a dead process: it is taken over (fcntl lock first,
// then its line rewritten, and it is kept open like the update's own). take() waits while
// another update holds the document, or one that cannot be checked (another machine, a file
// system without fcntl locks), up to kWaitForUpdate, telling `waiting` whom it waits for at each
// poll; it refuses a document held by a word processor (a lock file not an update's, or with no
// line), one still held after the wait, or one whose lock file cannot be made, naming the holder
// when the line tells. Never throws. Owns its lock files and their descriptors: destroyed, it
// removes the lock files, then drops the fcntl locks. One thread at a time.
#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace K7X_DoruVevuzu::documents {

// What an update writes as its profile in its lock files.
inline const QString kUpdateMarker = QStringLiteral("ctlIndici-aggiornamento-formule");
inline constexpr std::chrono::seconds kWaitForUpdate{30};

// Who holds a document, as its lock file tells.
struct LockHolder {
    QString user;
    QString host;
    QString date;
    bool update = false; // an update of this component, not a word processor
};

// The lock file of the document at `path`; a name too long for one is shortened at its end.
QString lockFileOf(const QString& path);
// Whether `lockFile` is one this process holds.
bool isLockHeldHere(const QString& lockFile);

class DocumentLocks {
public:
    using Waiting = std::function<void(const LockHolder& holder)>;
    DocumentLocks();
    ~DocumentLocks();
    DocumentLocks(const DocumentLocks&) = delete;
    DocumentLocks& operator=(const DocumentLocks&) = delete;

    // Holds the document at `path`: false, with `refusedBy` set when the holder is known, when
    // it cannot.
    bool take(const QString& path, const Waiting& waiting, std::optional<LockHolder>& refusedBy);

private:
    using FileId = std::pair<quint64, quint64>; // device, inode
    struct Open {
        int fd;
        FileId id;
    };
    bool owns(const FileId& id) const;
    void keep(int fd);

    LockHolder m_self;
    std::vector<Open> m_open;                          // fcntl-locked while the set lives
    std::vector<std::pair<QByteArray, FileId>> m_held; // the lock files, and the file of each
};

} // namespace K7X_DoruVevuzu::documents
