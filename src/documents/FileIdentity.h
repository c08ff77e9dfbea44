// FileIdentity: what tells one state of a file's entry in its folder from another (device, inode,
// size, time of the last write and of the last change of the inode; a link is told by its own),
// taken when a document is read and compared before it is replaced, so that a document changed or
// replaced by another program in between is never overwritten: one rewritten in place with its
// size kept and its time of writing put back still shows, by its inode's change time, which no
// program can set.
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
    timespec changed{}; // of the inode

    // The file's identity now, or an empty identity (size -1) when it cannot be looked at.
    static FileIdentity of(const QString& path) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? of(status)
                                                                          : FileIdentity{};
    }
    static FileIdentity of(const struct stat& status) {
        return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    }
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               same(modified, other.modified) && same(changed, other.changed);
    }

private:
    static bool same(const timespec& one, const timespec& other) {
        return one.tv_sec == other.tv_sec && one.tv_nsec == other.tv_nsec;
    }
};

// What a user is told when the document listed as `name` changed after it was read.
inline QString changedMeanwhile(const QString& name) {
    return QStringLiteral("Il documento '%1' è stato modificato da un altro programma durante "
                          "l'aggiornamento: aggiornarlo di nuovo.")
        .arg(name);
}

} // namespace K7X_DoruVevuzu::documents
