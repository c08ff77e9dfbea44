#include "documents/SaveBatch.h"

#include "documents/DocumentError.h"
#include "documents/OpenFiles.h"
#include "documents/TemporaryNames.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace K7X_DoruVevuzu::documents {

namespace {

// Unnamed temporary files a batch keeps open at once: a quarter of the process's descriptor
// limit, at most 256, leaving the host and the documents being read the rest.
std::size_t openAtOnce() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 256;
    return std::min<std::size_t>(256, limit.rlim_cur / 4);
}

// The extended attribute holding a file's access list beyond its mode.
constexpr char kAccessList[] = "system.posix_acl_access";

[[noreturn]] void notSaved(const QString& path, int error) {
    documentFailure(DocumentFault::NotSaved,
                    QStringLiteral("Impossibile salvare il documento '%1': %2.")
                        .arg(displayName(path), QString::fromLocal8Bit(std::strerror(error))));
}

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

// Gives the new file `fd` the owner and group of the file `old` (a regular file), or the group
// alone where only that is allowed; refuses when who may open `old` could not open the new file.
void takeOwnership(const QString& path, const struct stat& old, int fd) {
    if (!S_ISREG(old.st_mode))
        documentFailure(DocumentFault::NotSaved,
                        QStringLiteral("Impossibile salvare il documento '%1': non è un file "
                                       "normale (è un collegamento o una cartella).")
                            .arg(displayName(path)));
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
        errno = 0; // what is kept is judged below
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        notSaved(path, errno);
    if (!accessKept(old, now))
        documentFailure(DocumentFault::NotSaved,
                        QStringLiteral("Impossibile salvare il documento '%1': il nuovo file non "
                                       "potrebbe avere il proprietario o il gruppo di quello "
                                       "attuale, e chi oggi può aprirlo non potrebbe più farlo. "
                                       "Lo aggiorni il proprietario del documento.")
                            .arg(displayName(path)));
}

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

// Gives the new file `fd` what the file `name` of `folder` has: owner or group, extended
// attributes, permission bits (last, as a change of owner clears some; never set-user or
// set-group-ID, which would now run as whoever wrote the file).
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

// Replaces the pattern's trailing XXXXXX with random letters and digits.
void fillPattern(QByteArray& pattern) {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (qsizetype k = pattern.size() - 6; k < pattern.size(); ++k)
        pattern[k] = kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)];
}

// Makes `name` (ending in XXXXXX) a fresh name for which `make` succeeds; 0 or the error.
int underFreshName(QByteArray& name, const std::function<bool()>& make) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fillPattern(name);
        if (make())
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// A new file in `folder`: without a name when `unnamed` and the file system (and /proc, through
// which it is named later) allow one, which `unnamed` then tells, else under `pattern` made
// unique; -1 and errno on failure.
int createTemporary(int folder, QByteArray& pattern, bool& unnamed) {
    int fd = unnamed ? openUnnamed(folder, ".", O_WRONLY, 0600) : -1;
    unnamed = fd >= 0;
    if (fd < 0) {
        errno = underFreshName(pattern, [&] {
            fd = ::openat(folder, pattern.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                          0600);
            return fd >= 0;
        });
    }
    return fd;
}

// Refuses the file `old` of the open `folder` when the folder is sticky (only a file's owner, the
// folder's or an administrator may rename over it) and the updater is none of them.
void checkSticky(const QString& path, int folder, const struct stat& old) {
    struct stat status {};
    const uid_t self = ::geteuid();
    if (::fstat(folder, &status) != 0 || !(status.st_mode & S_ISVTX) || self == 0 ||
        self == old.st_uid || self == status.st_uid)
        return;
    documentFailure(
        DocumentFault::NotSaved,
        QStringLiteral("Impossibile salvare il documento '%1': la sua cartella permette "
                       "di sostituire solo i propri file, e il documento è di un altro "
                       "utente. Lo aggiorni il proprietario del documento.")
            .arg(displayName(path)));
}

} // namespace

SaveBatch::~SaveBatch() {
    discard();
}

void SaveBatch::checkReplaceable(const Place& place) {
    const Descriptor folder(place.openFolder());
    if (folder.get() < 0)
        notSaved(place.path, errno);
    struct stat old {};
    if (::fstatat(folder.get(), place.name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0 ||
        (S_ISREG(old.st_mode) && old.st_uid == ::geteuid() && old.st_gid == ::getegid()))
        return; // nothing to replace, or ours: what we write keeps it
    checkSticky(place.path, folder.get(), old);
    QByteArray name = temporaryPattern(place.name);
    bool unnamed = true;
    const Descriptor probe(createTemporary(folder.get(), name, unnamed));
    if (probe.get() < 0)
        notSaved(place.path, errno);
    if (!unnamed)
        ::unlinkat(folder.get(), name.constData(), 0);
    takeOwnership(place.path, old, probe.get());
}

// The open folder of `place`: the one open already when it is the same, else newly opened (the
// one before flushed when a file was renamed in it, and closed); -1 and errno when it cannot be.
int SaveBatch::folderOf(const Place& place) {
    if (m_folder.get() >= 0 && m_root == place.root.get() && m_folderPath == place.folder)
        return m_folder.get();
    closeFolder();
    m_folder = Descriptor(place.openFolder());
    m_root = place.root.get();
    m_folderPath = place.folder;
    return m_folder.get();
}

void SaveBatch::closeFolder() {
    if (std::exchange(m_renamedInFolder, false))
        ::fsync(m_folder.get());
    m_folder = Descriptor();
    m_root = nullptr;
}

void SaveBatch::add(const Place& place, const Writer& write, const FileIdentity& identity) {
    m_staged.reserve(m_staged.size() + 1); // nothing may fail once the temporary file exists
    Staged staged{place, identity, temporaryPattern(place.name)};
    const int folder = folderOf(place);
    if (folder < 0)
        notSaved(place.path, errno);
    bool unnamed = m_open < openAtOnce();
    int fd = createTemporary(folder, staged.temporary, unnamed);
    if (fd < 0)
        notSaved(place.path, errno);
    try {
        write(fd);
        // The disk starts on the content at once, so the commit's flush finds it mostly written;
        // a failure here shows there.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        takeOver(place.path, folder, place.name, fd);
        if (!unnamed && ::close(std::exchange(fd, -1)) != 0)
            notSaved(place.path, errno);
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        if (!unnamed)
            ::unlinkat(folder, staged.temporary.constData(), 0);
        throw;
    }
    staged.unnamed = fd;
    m_open += unnamed;
    m_staged.push_back(std::move(staged));
}

void SaveBatch::ready() {
    flush();
    for (std::size_t k = 0; k < m_staged.size(); ++k)
        checkUnchanged(k);
    m_ready = true;
}

void SaveBatch::commit(Changed changed) {
    if (changed == Changed::StopAll && !m_ready)
        ready();
    else if (!m_ready)
        flush();
    std::optional<QString> left; // the first file changed meanwhile, left as it is
    for (std::size_t k = 0; k < m_staged.size(); ++k) {
        Staged& staged = m_staged[k];
        if (changed == Changed::StopAll) {
            checkUnchanged(k); // again: a save since the check before the first rename shows too
        } else if (!unchanged(k)) {
            left = left.value_or(staged.place.path);
            continue;
        }
        const int folder = folderOf(staged.place); // open: it was just looked in
        if (staged.unnamed >= 0) {
            if (const int error = giveName(staged, folder))
                abandon(k, error);
        }
        if (::renameat(folder, staged.temporary.constData(), folder,
                       staged.place.name.constData()) != 0)
            abandon(k, errno);
        staged.temporary.clear();
        m_renamedInFolder = true;
    }
    finish(); // the renames are done: a failure to flush a folder loses no content
    if (left)
        documentFailure(DocumentFault::NotSaved, changedMeanwhile(displayName(*left)));
}

// Puts the staged content on disk before any file is replaced: a file alone is flushed on its
// own; several are flushed with one flush of each file system, after which each file is asked
// for its own write error, waiting for its data without flushing the disk again (an fsync would,
// on some file systems, once per file).
void SaveBatch::flush() {
    const bool several = m_staged.size() > 1;
    std::vector<dev_t> flushed;
    for (std::size_t k = 0; k < m_staged.size(); ++k) {
        const Staged& staged = m_staged[k];
        const int folder = folderOf(staged.place);
        if (folder < 0)
            abandon(k, errno);
        if (several &&
            std::find(flushed.begin(), flushed.end(), staged.identity.device) == flushed.end()) {
            if (::syncfs(folder) != 0)
                abandon(k, errno);
            flushed.push_back(staged.identity.device);
        }
        const Descriptor named(staged.unnamed >= 0 ? -1
                                                   : ::openat(folder, staged.temporary.constData(),
                                                              O_RDONLY | O_CLOEXEC));
        const int file = staged.unnamed >= 0 ? staged.unnamed : named.get();
        if ((several ? ::sync_file_range(file, 0, 0,
                                         SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                             SYNC_FILE_RANGE_WAIT_AFTER)
                     : ::fsync(file)) != 0)
            abandon(k, errno);
    }
}

// Whether the staged file's file is still the one read, in the folder where it was found.
bool SaveBatch::unchanged(std::size_t staged) {
    struct stat now {};
    const Staged& file = m_staged[staged];
    const int folder = folderOf(file.place);
    if (folder < 0)
        return false; // its folder was replaced
    const bool there =
        ::fstatat(folder, file.place.name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    return there ? FileIdentity::of(now) == file.identity : file.identity == FileIdentity{};
}

// Refuses the staged file whose file changed since it was read.
void SaveBatch::checkUnchanged(std::size_t staged) {
    if (unchanged(staged))
        return;
    const QString path = m_staged[staged].place.path;
    finish();
    documentFailure(DocumentFault::NotSaved, changedMeanwhile(displayName(path)));
}

// Links an unnamed file into its open folder under a fresh hidden name; 0 or the error.
int SaveBatch::giveName(Staged& staged, int folder) {
    const int error = underFreshName(staged.temporary, [&] {
        errno = linkOpen(staged.unnamed, folder, staged.temporary.constData());
        return errno == 0;
    });
    if (error == 0) {
        ::close(std::exchange(staged.unnamed, -1));
        --m_open;
    }
    return error;
}

void SaveBatch::abandon(std::size_t failed, int error) {
    const QString path = m_staged[failed].place.path;
    finish();
    notSaved(path, error);
}

// Ends the batch: the folders' entries flushed, so that the renames made survive a power cut.
void SaveBatch::finish() {
    closeFolder();
    discard();
}

// Files renamed already have no temporary left; the others lose theirs.
void SaveBatch::discard() {
    for (Staged& staged : m_staged) {
        if (staged.unnamed >= 0) {
            ::close(staged.unnamed);
        } else if (!staged.temporary.isEmpty()) {
            if (const int folder = folderOf(staged.place); folder >= 0)
                ::unlinkat(folder, staged.temporary.constData(), 0);
        }
    }
    closeFolder();
    m_staged.clear();
    m_open = 0;
}

} // namespace K7X_DoruVevuzu::documents
