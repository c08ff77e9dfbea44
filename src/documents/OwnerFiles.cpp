#include "documents/OwnerFiles.h"

#include "documents/Descriptor.h"
#include "documents/DocumentLocks.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr char kOwnerPrefix[] = "~$";

// The owner file of the document named `name`: "~$" + the name less what the rule drops.
QByteArray ownerFileOf(const QByteArray& name) {
    const QString shown = QFile::decodeName(name);
    const qsizetype dot = shown.lastIndexOf(u'.');
    const qsizetype stem = dot < 0 ? shown.size() : dot;
    return kOwnerPrefix + QFile::encodeName(shown.mid(stem >= 8 ? 2 : stem == 7 ? 1 : 0));
}

// Whether the open `folder` holds an entry `name`, of any kind (a dangling link too).
bool holds(int folder, const QByteArray& name, struct stat& status) {
    return ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

bool heldByAnotherProgram(int folder, const QByteArray& name) {
    struct stat status {};
    return holds(folder, ownerFileOf(name), status) ||
           (holds(folder, lockNameOf(name), status) && !isLockHeldHere(status));
}

} // namespace

bool isOwnerFileName(const QString& fileName) {
    return fileName.startsWith(QLatin1String(kOwnerPrefix));
}

QString heldReadOnlyReason() {
    return QStringLiteral("è di sola lettura o aperto da un altro programma");
}

bool isHeldReadOnly(const Place& place) {
    const Descriptor folder(place.openFolder());
    struct stat status {};
    if (folder.get() < 0 || !holds(folder.get(), place.name, status))
        return true;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::faccessat(folder.get(), place.name.constData(), W_OK, 0) != 0 ||
           ::faccessat(folder.get(), ".", W_OK, 0) != 0 ||
           heldByAnotherProgram(folder.get(), place.name);
}

} // namespace K7X_DoruVevuzu::documents
