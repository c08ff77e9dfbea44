#include "documents/FileAccess.h"

#include "documents/Descriptor.h"
#include "documents/DocumentError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace K7X_DoruVevuzu::documents {

namespace {

// The extended attribute holding a file's access list beyond its mode.
constexpr char kAccessList[] = "system.posix_acl_access";

// Whether the user `uid` belongs to the group `gid`, by the system's lists of users and groups.
bool memberOf(uid_t uid, gid_t gid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* user = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &user) != 0 || !user)
        return false;
    int count = 0;
    ::getgrouplist(user->pw_name, user->pw_gid, nullptr, &count);
    std::vector<gid_t> groups(std::size_t(count) + 1);
    ::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count);
    groups.resize(std::min(std::size_t(count), groups.size()));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// Whether everyone who may open the file `old` may open one of its mode owned as `now` is: the
// old group's members when the group changes, the old owner when the owner does.
bool accessKept(const struct stat& old, const struct stat& now) {
    const mode_t owner = (old.st_mode >> 6) & 7, group = (old.st_mode >> 3) & 7,
                 others = old.st_mode & 7;
    if (now.st_gid != old.st_gid && (group & ~others) != 0)
        return false;
    return now.st_uid == old.st_uid ||
           (owner & ~(memberOf(old.st_uid, now.st_gid) ? group : others)) == 0;
}

} // namespace

void takeOwnership(const QString& path, const struct stat& old, int fd) {
    if (!S_ISREG(old.st_mode))
        notSaved(path, QStringLiteral("non è un file normale (è un collegamento o una cartella)"));
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
        errno = 0; // what is kept is judged below
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        notSaved(path, errno);
    if (!accessKept(old, now))
        notSaved(path, QStringLiteral("il nuovo file non potrebbe avere il proprietario o il "
                                      "gruppo di quello attuale, e chi oggi può aprirlo non "
                                      "potrebbe più farlo. Lo aggiorni il proprietario del "
                                      "documento"));
}

namespace {

// Copies the extended attributes of `from` to `to`; those of the security namespace the user may
// not set are left out. An access list `to` inherited from its folder's default one goes when
// `from` has none: the new file is never more open than the old.
void copyAttributes(const QString& path, int from, int to) {
    if (::fgetxattr(from, kAccessList, nullptr, 0) < 0 && ::fremovexattr(to, kAccessList) != 0 &&
        errno != ENODATA && errno != ENOTSUP)
        notSaved(path, errno);
    QByteArray names(std::max<ssize_t>(0, ::flistxattr(from, nullptr, 0)), '\0');
    if (names.isEmpty())
        return; // none, or a file system without them
    names.resize(std::max<ssize_t>(0, ::flistxattr(from, names.data(), size_t(names.size()))));
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value(std::max<ssize_t>(0, ::fgetxattr(from, name.constData(), nullptr, 0)),
                         '\0');
        const ssize_t size =
            ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        if (size < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(size), 0)) {
            if (!name.startsWith("security.") || (errno != EPERM && errno != EACCES))
                notSaved(path, errno);
        }
    }
}

} // namespace

// The permission bits last, as a change of owner clears some.
void takeOver(const QString& path, int folder, const QByteArray& name, int fd) {
    struct stat old {};
    if (::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return; // a new file
        notSaved(path, errno);
    }
    takeOwnership(path, old, fd);
    const Descriptor was(
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (was.get() < 0)
        notSaved(path, errno);
    copyAttributes(path, was.get(), fd);
    if (::fchmod(fd, old.st_mode & 0777) != 0)
        notSaved(path, errno);
}

void checkSticky(const QString& path, int folder, const struct stat& old) {
    struct stat status {};
    const uid_t self = ::geteuid();
    if (::fstat(folder, &status) != 0 || !(status.st_mode & S_ISVTX) || self == 0 ||
        self == old.st_uid || self == status.st_uid)
        return;
    notSaved(path, QStringLiteral("la sua cartella permette di sostituire solo i propri file, e il "
                                  "documento è di un altro utente. Lo aggiorni il proprietario "
                                  "del documento"));
}

} // namespace K7X_DoruVevuzu::documents
