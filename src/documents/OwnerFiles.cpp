#include "documents/OwnerFiles.h"

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

bool heldByAnotherProgram(const QFileInfo& info) {
    const QString name = info.fileName();
    const QDir folder = info.dir();
    const QString ownerFiles[] = {
        QStringLiteral("~$") + name,
        QStringLiteral("~$") + name.mid(1),
        QStringLiteral("~$") + name.mid(2),
        QStringLiteral(".~lock.") + name + u'#',
    };
    for (const QString& owner : ownerFiles) {
        if (QFileInfo::exists(folder.filePath(owner)))
            return true;
    }
    return false;
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
