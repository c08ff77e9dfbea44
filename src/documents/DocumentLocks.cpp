#include "documents/DocumentLocks.h"
#include "documents/OpenFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

std::optional<FileId> idOf(int fd, const QByteArray& path) {
    struct stat status {};
    if ((fd >= 0 ? ::fstat(fd, &status) : ::stat(path.constData(), &status)) != 0)
        return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

// Whether the open `fd` is still the file named `path`.
bool stillNamed(int fd, const QByteArray& path) {
    const auto open = idOf(fd, {});
    return open && open == idOf(-1, path);
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

// A new lock file named `file` holding `line`, fcntl-locked, or -1 with errno (EEXIST: there is
// one). Made unnamed and linked where the file system allows, so it appears whole; else created
// under its name (O_EXCL) and written at once.
int create(const QByteArray& file, const QByteArray& line) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(file)).path());
    int fd = openUnnamed(AT_FDCWD, folder.constData(), O_RDWR, 0644);
    if (fd >= 0) {
        const int error = prepare(fd, line) ? linkOpen(fd, AT_FDCWD, file.constData()) : EIO;
        if (!error)
            return fd;
        ::close(fd);
        errno = error;
        if (error == EEXIST)
            return -1;
    }
    fd = ::open(file.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0644);
    if (fd < 0 || prepare(fd, line))
        return fd;
    ::unlink(file.constData());
    ::close(fd);
    errno = EIO;
    return -1;
}

} // namespace

QString lockFileOf(const QString& path) {
    const QFileInfo info(path);
    QString name = info.fileName();
    while (QFile::encodeName(name).size() > kLongestName - 8) // ".~lock." and "#"
        name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    return info.dir().filePath(QStringLiteral(".~lock.") + name + u'#');
}

bool isLockHeldHere(const QString& lockFile) {
    const auto id = idOf(-1, QFile::encodeName(lockFile));
    const std::lock_guard guard(held().mutex);
    return id && held().files.count(*id) > 0;
}

DocumentLocks::DocumentLocks() : m_self(thisUpdate()) {}

bool DocumentLocks::owns(const FileId& id) const {
    return std::any_of(m_open.begin(), m_open.end(),
                       [&](const Open& open) { return open.id == id; });
}

void DocumentLocks::keep(int fd) {
    const FileId id = idOf(fd, {}).value_or(FileId{});
    m_open.push_back({fd, id});
    const std::lock_guard guard(held().mutex);
    held().files.insert(id);
}

bool DocumentLocks::take(const QString& path, const Waiting& waiting,
                         std::optional<LockHolder>& refusedBy) {
    const QByteArray file = QFile::encodeName(lockFileOf(path));
    const auto deadline = std::chrono::steady_clock::now() + kWaitForUpdate;
    for (;;) {
        int error = EXDEV; // linked to one of the update's own files, or a new one
        for (auto open = m_open.begin(); open != m_open.end() && error && error != EEXIST; ++open)
            error = linkOpen(open->fd, AT_FDCWD, file.constData());
        if (error && error != EEXIST) {
            const int fd = create(file, lineOf(m_self));
            error = fd < 0 ? errno : 0;
            if (fd >= 0)
                keep(fd);
        }
        if (error && error != EEXIST)
            return false;
        const int fd = error ? ::open(file.constData(), O_RDWR | O_CLOEXEC) : -1;
        if (error && fd < 0 && errno == ENOENT)
            continue; // released meanwhile
        if (error && fd < 0)
            return false;
        const FileId id = idOf(fd, file).value_or(FileId{});
        bool busy = false; // held by another update, or its line being written
        if (fd >= 0 && owns(id)) {
            ::close(fd); // a dead update's lock file this update took over already
        } else if (fd >= 0) {
            const int locked = lockWhole(fd);
            refusedBy = holderIn(readLine(fd));
            if (locked == 0 && !stillNamed(fd, file)) { // released meanwhile
                ::close(fd);
                continue;
            }
            busy = refusedBy ? refusedBy->update : locked == EAGAIN;
            if (locked == 0 && busy && refusedBy->host == m_self.host &&
                writeLine(fd, lineOf(m_self))) {
                keep(fd); // a dead update's: taken over
            } else {
                ::close(fd);
                // a word processor's lock stops at once; another update's is waited for
                if (!busy || std::chrono::steady_clock::now() >= deadline)
                    return false;
                if (refusedBy)
                    waiting(*refusedBy);
                std::this_thread::sleep_for(kPoll);
                continue;
            }
        }
        refusedBy.reset();
        m_held.push_back({file, id});
        return true;
    }
}

DocumentLocks::~DocumentLocks() {
    for (const auto& [file, id] : m_held)
        if (idOf(-1, file) == id)
            ::unlink(file.constData());
    for (const Open& open : m_open) {
        {
            const std::lock_guard guard(held().mutex);
            held().files.erase(held().files.find(open.id));
        }
        ::close(open.fd);
    }
}

} // namespace K7X_DoruVevuzu::documents
