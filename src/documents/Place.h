// Place: where a document is, as it was found: an open folder (the documents folder, opened once
// for a whole update and shared by every document in it), the folders from there down to the
// document, and its name. A place keeps no descriptor of its own folder: each use walks down
// again from the open folder, one folder at a time, never through a link (O_NOFOLLOW), and checks
// that the folder it reaches is the one first found. So a folder replaced meanwhile by a link or
// by another folder is refused, nothing is read or written outside the open folder, and any
// number of subfolders costs no descriptor beyond the open folder's. Never throws.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <sys/types.h>

namespace K7X_DoruVevuzu::documents {

// A folder opened by its name (a link in that name followed), kept open while any place in it
// lives; owns its descriptor.
class OpenFolder {
public:
    explicit OpenFolder(const QString& path);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    int fd() const { return m_fd; } // -1 when it could not be opened
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

// The folder `relative` below the open folder `at` ("" for `at` itself, "/" between the folders),
// reached one folder at a time without following a link or blocking on one: a new descriptor, or
// -1 and errno (ELOOP or ENOTDIR: a folder on the way is a link or no folder).
int walkDown(int at, const QByteArray& relative);

struct Place {
    std::shared_ptr<const OpenFolder> root;
    QByteArray folder; // from the root down to the document's folder, "/" between folders
    QByteArray name;   // the document's name in its folder
    QString path;      // the document's path as the host would write it, for messages
    dev_t folderDevice = 0;
    ino_t folderInode = 0; // the document's folder as first found

    // The document at `path`, its folder opened by its name.
    static Place of(const QString& path);
    // The document's folder, newly opened: -1 and errno when it cannot be reached, ESTALE when
    // it is no longer the folder first found.
    int openFolder() const;
};

} // namespace K7X_DoruVevuzu::documents
