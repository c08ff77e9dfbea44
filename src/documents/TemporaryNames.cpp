#include "documents/TemporaryNames.h"

#include "documents/OpenFiles.h"

#include <QRandomGenerator>
#include <QString>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr qsizetype kNameKept = 150;   // bytes of the document's name
constexpr qsizetype kHostKept = 64;    // bytes of the machine's name
constexpr qsizetype kUniqueSuffix = 7; // ".XXXXXX"

// ".name.ctl-HOST-": what every temporary file of the document written on this machine begins with.
QByteArray prefixOf(const QByteArray& name) {
    static const QByteArray host = QSysInfo::machineHostName().toUtf8().left(kHostKept);
    return '.' + name.left(kNameKept) + ".ctl-" + host + '-';
}

// Whether the process `pid` of this machine is gone.
bool gone(const QByteArray& pid) {
    bool number = false;
    const pid_t process = pid.toInt(&number);
    return number && process > 0 && ::kill(process, 0) != 0 && errno == ESRCH;
}

// Replaces the pattern's trailing XXXXXX with random letters and digits.
void fillPattern(QByteArray& pattern) {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (qsizetype k = pattern.size() - 6; k < pattern.size(); ++k)
        pattern[k] = kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)];
}

} // namespace

QByteArray temporaryPattern(const QByteArray& name) {
    return prefixOf(name) + QByteArray::number(::getpid()) + ".XXXXXX";
}

void removeLeftovers(int folder, const QByteArray& name) {
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!entries) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    const QByteArray prefix = prefixOf(name);
    while (const dirent* entry = ::readdir(entries)) {
        const QByteArray found(entry->d_name);
        if (found.startsWith(prefix) && found.size() > prefix.size() + kUniqueSuffix &&
            gone(found.mid(prefix.size(), found.size() - prefix.size() - kUniqueSuffix)))
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

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

} // namespace K7X_DoruVevuzu::documents
