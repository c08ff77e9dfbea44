#include "documents/SaveBatch.h"

#include "documents/DocumentError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr qsizetype kNameInTemporary = 200; // bytes of the document's name kept

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

} // namespace

SaveBatch::~SaveBatch() {
    discard(0);
}

void SaveBatch::add(const QString& path, const QByteArray& content) {
    const QFileInfo info(path);
    Staged staged{path,
                  QFile::encodeName(info.absoluteFilePath()),
                  QFile::encodeName(info.absolutePath()),
                  {}};
    // Hidden, named after the document but cut short: a name at the file system's limit must
    // leave room for the dot and the unique suffix.
    staged.temporary = staged.folder + "/." +
                       QFile::encodeName(info.fileName()).left(kNameInTemporary) + ".XXXXXX";
    Descriptor fd(::mkostemp(staged.temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        notSaved(path, errno);
    const bool written = writeAll(fd.get(), content) && takeOver(fd.get(), staged.target);
    const int error = errno;
    const int closed = ::close(fd.release());
    if (!written || closed != 0) {
        ::unlink(staged.temporary.constData());
        notSaved(path, written ? errno : error);
    }
    m_staged.push_back(std::move(staged));
}

void SaveBatch::commit() {
    flush();
    for (std::size_t k = 0; k < m_staged.size(); ++k) {
        if (::rename(m_staged[k].temporary.constData(), m_staged[k].target.constData()) != 0) {
            const int error = errno;
            const QString path = m_staged[k].path;
            discard(k);
            notSaved(path, error);
        }
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
    if (m_staged.empty())
        return;
    const bool one = m_staged.size() == 1;
    std::vector<QByteArray> flushed;
    for (const Staged& staged : m_staged) {
        const QByteArray& what = one ? staged.temporary : staged.folder;
        if (std::find(flushed.begin(), flushed.end(), what) != flushed.end())
            continue;
        if (const int error = syncPath(what, !one)) {
            const QString path = staged.path;
            discard(0);
            notSaved(path, error);
        }
        flushed.push_back(what);
    }
}

void SaveBatch::discard(std::size_t from) {
    for (std::size_t k = from; k < m_staged.size(); ++k)
        ::unlink(m_staged[k].temporary.constData());
    m_staged.clear();
}

void replaceFileAtomically(const QString& path, const QByteArray& content) {
    SaveBatch batch;
    batch.add(path, content);
    batch.commit();
}

} // namespace K7X_DoruVevuzu::documents
