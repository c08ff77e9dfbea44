// Naming open files: a file made without a name (O_TMPFILE) and linked under its name once it is
// whole, the way both the saved documents and the lock files appear all at once. Linux only;
// where the file system, or the /proc through which an open file is named, does not allow it,
// openUnnamed() gives -1 and the caller makes a named file instead. Never throw.
#pragma once

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

// An open file without a name in the folder `folder` (relative to the folder descriptor `at`),
// opened with `access` (O_WRONLY, O_RDWR), or -1.
inline int openUnnamed(int at, const char* folder, int access, mode_t mode) {
    static const bool nameable = ::access("/proc/self/fd", F_OK) == 0;
    return nameable ? ::openat(at, folder, O_TMPFILE | access | O_CLOEXEC, mode) : -1;
}

// Gives the open file `fd` the name `name` (relative to `at`): 0 or the error (EEXIST: the name
// is taken).
inline int linkOpen(int fd, int at, const char* name) {
    const QByteArray open = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, open.constData(), at, name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

} // namespace K7X_DoruVevuzu::documents
