#include "documents/AtomicFile.h"

#include "documents/DocumentError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

[[noreturn]] void notSaved(const QString& path, int error) {
    documentFailure(DocumentFault::NotSaved,
                    QStringLiteral("Impossibile salvare il documento '%1': %2.")
                        .arg(displayName(path), QString::fromLocal8Bit(std::strerror(error))));
}

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

// Flushes the folder's entry list, so that a finished rename is on disk.
void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::AtomicFile(const QString& path) : m_path(path) {
    const QFileInfo info(path);
    m_target = QFile::encodeName(info.absoluteFilePath());
    m_folder = QFile::encodeName(info.absolutePath());
    m_temporary = m_folder + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0)
        notSaved(m_path, errno);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

void AtomicFile::giveUp(int error) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temporary.constData());
    m_temporary.clear();
    notSaved(m_path, error);
}

void AtomicFile::commit() {
    struct stat old {};
    const bool existed = ::stat(m_target.constData(), &old) == 0;
    if (existed && ::fchmod(m_fd, old.st_mode & 07777) != 0)
        giveUp(errno);
    // Only a privileged user may give the file to its old owner; otherwise it stays ours.
    if (existed && ::fchown(m_fd, old.st_uid, old.st_gid) != 0)
        errno = 0;
    if (::fsync(m_fd) != 0)
        giveUp(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 || ::rename(m_temporary.constData(), m_target.constData()) != 0)
        giveUp(errno);
    m_temporary.clear();
    syncFolder(m_folder);
}

void replaceFileAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFile file(path);
    if (!writeAll(file.descriptor(), bytes))
        notSaved(path, errno); // the destructor removes the temporary file
    file.commit();
}

} // namespace K7X_DoruVevuzu::documents
