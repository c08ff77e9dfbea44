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

void replaceFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;

    QByteArray temporary = folder + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        notSaved(path, errno);
    const auto giveUp = [&] {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        notSaved(path, error);
    };
    if (!writeAll(fd, bytes) || (existed && ::fchmod(fd, old.st_mode & 07777) != 0))
        giveUp();
    // Only a privileged user may give the file to its old owner; otherwise it stays ours.
    if (existed && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        errno = 0;
    if (::fsync(fd) != 0)
        giveUp();
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 || ::rename(temporary.constData(), target.constData()) != 0)
        giveUp();
    syncFolder(folder);
}

} // namespace K7X_DoruVevuzu::documents
