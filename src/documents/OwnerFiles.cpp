#include "documents/OwnerFiles.h"

#include "documents/DocumentLocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The owner file of the document named `name`: "~$" + the name less what the rule drops.
QString ownerFileOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype stem = dot < 0 ? name.size() : dot;
    return QStringLiteral("~$") + name.mid(stem >= 8 ? 2 : stem == 7 ? 1 : 0);
}

bool heldByAnotherProgram(const QFileInfo& info) {
    const QString lockFile = lockFileOf(info.filePath());
    return QFileInfo::exists(info.dir().filePath(ownerFileOf(info.fileName()))) ||
           (QFileInfo::exists(lockFile) && !isLockHeldHere(lockFile));
}

} // namespace

bool isHeldReadOnly(const QString& path) {
    const QFileInfo info(path);
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return true;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return !writable(path) || !writable(info.absolutePath()) || heldByAnotherProgram(info);
}

} // namespace K7X_DoruVevuzu::documents
