#include "documents/DocumentLocks.h"

#include "documents/Descriptor.h"
#include "documents/OpenFiles.h"
#include "documents/TemporaryNames.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <climits>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr std::chrono::milliseconds kPoll{100};
constexpr qsizetype kLongestLine = 4096;
constexpr qsizetype kLongestName = NAME_MAX; // of a file name, in bytes

using FileId = std::pair<quint64, quint64>;

// The lock files this process holds, by device and inode.
struct Held {
    std::mutex mutex;
    std::multiset<FileId> files;
};
Held& held() {
    static Held files;
    return files;
}

FileId idOf(const struct stat& status) {
    return {status.st_dev, status.st_ino};
}

// The lock file `name` of the open `folder` as it is there, a link not followed.
std::optional<FileId> idOf(int folder, const QByteArray& name) {
    struct stat status {};
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return idOf(status);
}

QByteArray lineOf(const LockHolder& holder) {
    return (u',' + holder.user + u',' + holder.host + u',' + holder.date + u',' +
            (holder.update ? kUpdateMarker : QString()) + u';')
        .toUtf8();
}

// The holder a lock file's line names, or none when it names nobody.
std::optional<LockHolder> holderIn(const QByteArray& line) {
    QString text = QString::fromUtf8(line).trimmed();
    if (text.endsWith(u';') || text.endsWith(u','))
        text.chop(1);
    const QStringList fields = text.split(u',');
    if (fields.size() < 5 || (fields[0].isEmpty() && fields[1].isEmpty()))
        return std::nullopt;
    return LockHolder{fields[1].isEmpty() ? fields[0] : fields[1], fields[2], fields[3],
                      fields[4] == kUpdateMarker};
}

LockHolder thisUpdate() {
    const passwd* entry = ::getpwuid(::geteuid());
    return {entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER"),
            QSysInfo::machineHostName(),
            QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")), true};
}

// 0 when `fd` now has a write lock on the whole file, else the error (EAGAIN: another has one).
int lockWhole(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

bool writeLine(int fd, const QByteArray& line) {
    return ::pwrite(fd, line.constData(), line.size(), 0) == line.size() &&
           ::ftruncate(fd, line.size()) == 0;
}

QByteArray readLine(int fd) {
    QByteArray line(kLongestLine, Qt::Uninitialized);
    const ssize_t got = ::pread(fd, line.data(), line.size(), 0);
    line.truncate(got > 0 ? got : 0);
    return line;
}

// Whether the new file `fd` now holds `line` under an fcntl lock (or on a file system without
// fcntl locks).
bool prepare(int fd, const QByteArray& line) {
    return lockWhole(fd) != EAGAIN && ::fchmod(fd, 0666) == 0 && writeLine(fd, line);
}

// Whether another open file has an fcntl lock on `fd`'s file: 1 or 0, or -1 when the file
// system cannot tell.
int lockedElsewhere(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return -1;
    return lock.l_type != F_UNLCK;
}

// A new lock file named `name` in the open `folder` holding `line`, fcntl-locked, or -1 with errno
// (EEXIST: there is one). Made unnamed and linked where the file system allows, so it appears
// whole; else created under its name (O_EXCL), locked, then written.
int create(int folder, const QByteArray& name, const QByteArray& line) {
    int fd = openUnnamed(folder, ".", O_RDWR, 0644);
    if (fd >= 0) {
        const int error = prepare(fd, line) ? linkOpen(fd, folder, name.constData()) : EIO;
        if (!error)
            return fd;
        ::close(fd);
        errno = error;
        if (error == EEXIST)
            return -1;
    }
    fd = ::openat(folder, name.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC,
                  0644);
    if (fd < 0 || prepare(fd, line))
        return fd;
    ::unlinkat(folder, name.constData(), 0);
    ::close(fd);
    errno = EIO;
    return -1;
}

// The lock file `name` of the open `folder`, opened without following a link or blocking: for
// writing, or only for reading where this user may not write it.
Descriptor openExisting(int folder, const QByteArray& name, bool& writable) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    Descriptor fd(::openat(folder, name.constData(), O_RDWR | kFlags));
    writable = fd.get() >= 0;
    if (fd.get() < 0 && errno == EACCES)
        fd = Descriptor(::openat(folder, name.constData(), O_RDONLY | kFlags));
    return fd;
}

} // namespace

QByteArray lockNameOf(const QByteArray& name) {
    QString shown = QFile::decodeName(name);
    while (QFile::encodeName(shown).size() > kLongestName - 8) // ".~lock." and "#"
        shown.chop(shown.size() > 1 && shown.back().isLowSurrogate() ? 2 : 1);
    return ".~lock." + QFile::encodeName(shown) + '#';
}

bool isLockHeldHere(const struct stat& status) {
    const std::lock_guard guard(held().mutex);
    return held().files.count(idOf(status)) > 0;
}

std::optional<LockFound> lockBeside(const Place& place) {
    LockFound found{lockNameOf(place.name), {}, LockFound::Alive::Unknown};
    const Descriptor folder(place.openFolder());
    struct stat status {};
    if (folder.get() < 0 ||
        ::fstatat(folder.get(), found.name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (!S_ISREG(status.st_mode)) { // a link, a pipe, a folder: not followed, it names nobody
        found.holder = LockHolder{{}, {}, {}, false, true};
        return found;
    }
    const Descriptor fd(::openat(folder.get(), found.name.constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return found; // not readable: its holder is not known
    found.holder = holderIn(readLine(fd.get()));
    if (found.holder && found.holder->update && found.holder->host == QSysInfo::machineHostName()) {
        const int locked = lockedElsewhere(fd.get());
        found.alive = locked < 0 ? LockFound::Alive::Unknown
                                 : (locked ? LockFound::Alive::Yes : LockFound::Alive::No);
    }
    return found;
}

DocumentLocks::DocumentLocks() : m_self(thisUpdate()) {}

bool DocumentLocks::owns(const FileId& id) const {
    return std::any_of(m_open.begin(), m_open.end(),
                       [&](const Open& open) { return open.id == id; });
}

void DocumentLocks::keep(int fd) {
    struct stat status {};
    const FileId id = ::fstat(fd, &status) == 0 ? idOf(status) : FileId{};
    m_open.push_back({fd, id});
    const std::lock_guard guard(held().mutex);
    held().files.insert(id);
}

bool DocumentLocks::take(const Place& place, const Waiting& waiting,
                         std::optional<LockHolder>& refusedBy, std::chrono::milliseconds wait) {
    const QByteArray name = lockNameOf(place.name);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool sawEmpty = false;
    for (;;) {
        const Descriptor folder(place.openFolder());
        refusedBy.reset();
        const int error =
            folder.get() < 0 ? errno : look(folder.get(), place, name, sawEmpty, refusedBy);
        if (error == 0)
            return true;
        if (error != EAGAIN || std::chrono::steady_clock::now() >= deadline)
            return false;
        if (refusedBy)
            waiting(*refusedBy);
        std::this_thread::sleep_for(kPoll);
    }
}

int DocumentLocks::look(int folder, const Place& place, const QByteArray& name, bool& sawEmpty,
                        std::optional<LockHolder>& refusedBy) {
    int error = EXDEV; // linked to one of the update's own files, or a new one
    for (auto open = m_open.begin(); open != m_open.end() && error && error != EEXIST; ++open)
        error = linkOpen(open->fd, folder, name.constData());
    if (error && error != EEXIST) {
        const int fd = create(folder, name, lineOf(m_self));
        error = fd < 0 ? errno : 0;
        if (fd >= 0)
            keep(fd);
    }
    if (error && error != EEXIST)
        return error;
    bool writable = false;
    Descriptor fd = error ? openExisting(folder, name, writable) : Descriptor();
    struct stat status {};
    if (error && fd.get() < 0 && errno == ENOENT)
        return EAGAIN; // released meanwhile: looked at again
    if (error && (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))) {
        if (fd.get() < 0 && errno != ELOOP && errno != EISDIR && errno != ENXIO)
            return errno;
        refusedBy = LockHolder{{}, {}, {}, false, true}; // a link, a pipe, a folder: not followed
        return EPERM;
    }
    const FileId id = error ? idOf(status) : idOf(folder, name).value_or(FileId{});
    if (!error || owns(id)) { // made, linked, or a dead update's this update took over already
        if (error)
            removeLeftovers(folder, place.name);
        m_held.push_back({place, name, id});
        return 0;
    }
    refusedBy = holderIn(readLine(fd.get()));
    const int others = lockedElsewhere(fd.get());
    if (!refusedBy) // an update's not written yet looks empty: looked at again once
        return others == 1 || !std::exchange(sawEmpty, true) ? EAGAIN : EPERM;
    if (!refusedBy->update)
        return EPERM; // a word processor's
    if (others == 0 && writable && refusedBy->host == m_self.host && lockWhole(fd.get()) == 0 &&
        idOf(folder, name) == id && writeLine(fd.get(), lineOf(m_self))) {
        removeLeftovers(folder, place.name); // a dead update's: taken over
        keep(fd.release());
        m_held.push_back({place, name, id});
        return 0;
    }
    return EAGAIN;
}

DocumentLocks::~DocumentLocks() {
    for (const HeldLock& lock : m_held) {
        const Descriptor folder(lock.document.openFolder());
        if (folder.get() >= 0 && idOf(folder.get(), lock.name) == lock.id)
            ::unlinkat(folder.get(), lock.name.constData(), 0);
    }
    for (const Open& open : m_open) {
        {
            const std::lock_guard guard(held().mutex);
            held().files.erase(held().files.find(open.id));
        }
        ::close(open.fd);
    }
}

} // namespace K7X_DoruVevuzu::documents
