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
// files or hard links, each lock file is its own file, created with O_EXCL, locked at once and
// then written, and costs a descriptor; another update that finds it still empty and not locked
// looks again before judging it. Every lock file is made, read and removed relative to the
// document's folder as the update found it (documents/Place.h), never through a link: a lock file
// that is no regular file (a link, dangling or not, a pipe, a folder) holds the document, and is
// reported as such, never followed. One this user may only read (another user's, mode 0644) is
// read, so that its holder is named. A lock file of an update on this machine with no fcntl lock
// was left by a dead process: it is taken over (fcntl lock first, then its line rewritten, and it
// is kept open like the update's own), and the temporary files that process left beside the
// document are removed (documents/TemporaryNames.h). take() waits while another update holds the
// document, or one that cannot be checked (another machine, a file system without fcntl locks),
// up to `wait` (kWaitForUpdate unless told), sleeping kPoll between looks and telling `waiting`
// whom it waits for; it refuses a document held by a word processor (a lock file not an update's,
// or with no line), one still held after the wait, or one whose lock file cannot be made, naming
// the holder when the line tells. Never throws. Owns its lock files and their descriptors:
// destroyed, it removes the lock files, then drops the fcntl locks. One thread at a time.
#pragma once

#include "documents/Place.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>
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
    bool update = false;    // an update of this component, not a word processor
    bool irregular = false; // the lock file is no regular file: it names nobody
};

// The name of the lock file of the document named `name`, beside it; a name too long for one is
// shortened at its end.
QByteArray lockNameOf(const QByteArray& name);
// Whether the lock file `status` tells of is one this process holds.
bool isLockHeldHere(const struct stat& status);

// A lock file beside a document, as a look that takes nothing finds it: its name, its holder (none
// when its line names nobody) and whether the holder still runs: an update's lock file on this
// machine tells (its fcntl lock), any other cannot be told.
struct LockFound {
    enum class Alive { Yes, No, Unknown };
    QByteArray name;
    std::optional<LockHolder> holder;
    Alive alive = Alive::Unknown;
};
// The lock file beside the document at `place`, or none when there is none. Never throws.
std::optional<LockFound> lockBeside(const Place& place);

class DocumentLocks {
public:
    using Waiting = std::function<void(const LockHolder& holder)>;
    DocumentLocks();
    ~DocumentLocks();
    DocumentLocks(const DocumentLocks&) = delete;
    DocumentLocks& operator=(const DocumentLocks&) = delete;

    // Holds the document at `place`: false, with `refusedBy` set when the holder is known, when
    // it cannot.
    bool take(const Place& place, const Waiting& waiting, std::optional<LockHolder>& refusedBy,
              std::chrono::milliseconds wait = kWaitForUpdate);

private:
    using FileId = std::pair<quint64, quint64>; // device, inode
    struct Open {
        int fd;
        FileId id;
    };
    struct HeldLock {
        Place document;
        QByteArray name; // of its lock file
        FileId id;       // of its lock file
    };
    bool owns(const FileId& id) const;
    void keep(int fd);
    // One look at the lock file `name` in the open `folder`: 0 when the document is now held,
    // EAGAIN when another update holds it, else an error (refusedBy set when the holder is known).
    int look(int folder, const Place& place, const QByteArray& name, bool& sawEmpty,
             std::optional<LockHolder>& refusedBy);

    LockHolder m_self;
    std::vector<Open> m_open; // fcntl-locked while the set lives
    std::vector<HeldLock> m_held;
};

} // namespace K7X_DoruVevuzu::documents
