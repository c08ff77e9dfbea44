#include "documents/SaveBatch.h"

#include "documents/DocumentError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr qsizetype kNameInTemporary = 200; // bytes of the document's name kept

// Unnamed temporary files a batch keeps open at once: a quarter of the process's descriptor
// limit, at most 256, leaving the host and the documents being read the rest.
std::size_t openAtOnce() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 256;
    return std::min<std::size_t>(256, limit.rlim_cur / 4);
}

[[noreturn]] void notSaved(const QString& path, int error) {
    documentFailure(DocumentFault::NotSaved,
                    QStringLiteral("Impossibile salvare il documento '%1': %2.")
                        .arg(displayName(path), QString::fromLocal8Bit(std::strerror(error))));
}

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// The new file gets the old one's permission bits; only a privileged user may also give it
// the old owner, otherwise it stays ours.
bool takeOver(int fd, const QByteArray& target) {
    struct stat old {};
    if (::stat(target.constData(), &old) != 0)
        return true;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        errno = 0;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Flushes a file or a folder (by path) to disk; 0 or the error.
int syncPath(const QByteArray& path, bool wholeFileSystem) {
    const Descriptor fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    const int done = wholeFileSystem ? ::syncfs(fd.get()) : ::fsync(fd.get());
    return done == 0 ? 0 : errno;
}

// A file without a name in the folder, or -1 where the file system (or a missing /proc, through
// which it is named later) does not allow one.
int openUnnamed(const QByteArray& folder) {
    static const bool nameable = ::access("/proc/self/fd", F_OK) == 0;
    return nameable ? ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
}

// Replaces the pattern's trailing XXXXXX with random letters and digits.
void fillPattern(QByteArray& pattern) {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (qsizetype k = pattern.size() - 6; k < pattern.size(); ++k)
        pattern[k] = kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)];
}

} // namespace

SaveBatch::~SaveBatch() {
    discard();
}

void SaveBatch::add(const QString& path, const QByteArray& content) {
    m_staged.reserve(m_staged.size() + 1); // nothing may fail once the temporary file exists
    const QFileInfo info(path);
    // Hidden, named after the document but cut short: a name at the file system's limit must
    // leave room for the dot and the unique suffix.
    Staged staged{path,
                  QFile::encodeName(info.absoluteFilePath()),
                  QFile::encodeName(info.absolutePath()),
                  {}};
    staged.temporary = staged.folder + "/." +
                       QFile::encodeName(info.fileName()).left(kNameInTemporary) + ".XXXXXX";
    if (m_open < openAtOnce())
        staged.unnamed = openUnnamed(staged.folder);
    const int fd =
        staged.unnamed >= 0 ? staged.unnamed : ::mkostemp(staged.temporary.data(), O_CLOEXEC);
    if (fd < 0)
        notSaved(path, errno);
    const bool written = writeAll(fd, content) && takeOver(fd, staged.target);
    const int error = errno;
    if (staged.unnamed >= 0) {
        if (!written) {
            ::close(fd);
            notSaved(path, error);
        }
        ++m_open;
    } else if (const int closed = ::close(fd); !written || closed != 0) {
        ::unlink(staged.temporary.constData());
        notSaved(path, written ? errno : error);
    }
    m_staged.push_back(std::move(staged));
}

void SaveBatch::commit() {
    flush();
    for (std::size_t k = 0; k < m_staged.size(); ++k) {
        Staged& staged = m_staged[k];
        if (staged.unnamed >= 0) {
            if (const int error = giveName(staged))
                abandon(k, error);
        }
        if (::rename(staged.temporary.constData(), staged.target.constData()) != 0)
            abandon(k, errno);
        staged.temporary.clear();
    }
    std::vector<QByteArray> folders;
    for (const Staged& staged : m_staged) {
        if (std::find(folders.begin(), folders.end(), staged.folder) == folders.end())
            folders.push_back(staged.folder);
    }
    m_staged.clear();
    for (const QByteArray& folder : folders)
        syncPath(folder, false); // the renames are done: a failure here loses no content
}

// Puts the staged content on disk before any file is replaced.
void SaveBatch::flush() {
    if (m_staged.size() == 1) {
        const Staged& only = m_staged.front();
        const int error = only.unnamed < 0             ? syncPath(only.temporary, false)
                          : ::fsync(only.unnamed) == 0 ? 0
                                                       : errno;
        if (error)
            abandon(0, error);
        return;
    }
    std::vector<QByteArray> flushed;
    for (std::size_t k = 0; k < m_staged.size(); ++k) {
        const QByteArray& folder = m_staged[k].folder;
        if (std::find(flushed.begin(), flushed.end(), folder) != flushed.end())
            continue;
        if (const int error = syncPath(folder, true))
            abandon(k, error);
        flushed.push_back(folder);
    }
}

// Links an unnamed file into its folder under a fresh hidden name; 0 or the error.
int SaveBatch::giveName(Staged& staged) {
    const QByteArray open = "/proc/self/fd/" + QByteArray::number(staged.unnamed);
    for (int attempt = 0; attempt < 100; ++attempt) {
        fillPattern(staged.temporary);
        if (::linkat(AT_FDCWD, open.constData(), AT_FDCWD, staged.temporary.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            ::close(std::exchange(staged.unnamed, -1));
            --m_open;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

void SaveBatch::abandon(std::size_t failed, int error) {
    const QString path = m_staged[failed].path;
    discard();
    notSaved(path, error);
}

// Files renamed already have no temporary left; the others lose theirs.
void SaveBatch::discard() {
    for (Staged& staged : m_staged) {
        if (staged.unnamed >= 0)
            ::close(staged.unnamed);
        else if (!staged.temporary.isEmpty())
            ::unlink(staged.temporary.constData());
    }
    m_staged.clear();
    m_open = 0;
}

} // namespace K7X_DoruVevuzu::documents
