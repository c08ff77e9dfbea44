#include "documents/Place.h"

#include "documents/Descriptor.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

} // namespace

OpenFolder::OpenFolder(const QString& path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      m_error(m_fd < 0 ? errno : 0) {}

OpenFolder::~OpenFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int walkDown(int at, const QByteArray& relative) {
    Descriptor folder(::openat(at, ".", kFolderFlags));
    for (const QByteArray& step : relative.split('/')) {
        if (folder.get() < 0)
            return -1;
        if (!step.isEmpty() && step != ".")
            folder = Descriptor(::openat(folder.get(), step.constData(), kFolderFlags));
    }
    return folder.release();
}

Place Place::of(const QString& path) {
    const QFileInfo file(path);
    Place place{std::make_shared<const OpenFolder>(file.absolutePath()),
                {},
                QFile::encodeName(file.fileName()),
                path};
    struct stat status {};
    if (::fstat(place.root->fd(), &status) == 0) {
        place.folderDevice = status.st_dev;
        place.folderInode = status.st_ino;
    }
    return place;
}

int Place::openFolder() const {
    if (root->fd() < 0) {
        errno = root->error();
        return -1;
    }
    Descriptor folder(walkDown(root->fd(), this->folder));
    struct stat status {};
    if (folder.get() < 0 || ::fstat(folder.get(), &status) != 0)
        return -1;
    if (status.st_dev != folderDevice || status.st_ino != folderInode) {
        errno = ESTALE;
        return -1;
    }
    return folder.release();
}

} // namespace K7X_DoruVevuzu::documents
