#include "documents/SaveBatch.h"

#include "documents/DocumentError.h"
#include "documents/FileAccess.h"
#include "documents/OpenFiles.h"
#include "documents/TemporaryNames.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
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
