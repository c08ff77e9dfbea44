// FileIdentity: what tells one state of a file's entry in its folder from another (device, inode,
// size, time of the last write; a link is told by its own), taken when a document is read and
// compared before it is replaced, so that a document changed or replaced by another program in
// between is never overwritten.
#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace K7X_DoruVevuzu::documents {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};

    // The file's identity now, or an empty identity (size -1) when it cannot be looked at.
    static FileIdentity of(const QString& path) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? of(status)
                                                                          : FileIdentity{};
    }
    static FileIdentity of(const struct stat& status) {
        return {status.st_dev, status.st_ino, status.st_size, status.st_mtim};
    }
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// What a user is told when the document listed as `name` changed after it was read.
inline QString changedMeanwhile(const QString& name) {
    return QStringLiteral("Il documento '%1' è stato modificato da un altro programma durante "
                          "l'aggiornamento: aggiornarlo di nuovo.")
        .arg(name);
}

} // namespace K7X_DoruVevuzu::documents
