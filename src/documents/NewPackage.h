// NewPackage: the new file of a package being rewritten, checked whole before a byte of it is
// written, then written in one pass.
//
// Made on the thread that read the package, it deflates the parts given anew (libdeflate, handed
// to libzip already compressed) and lists every other entry to be copied with its compressed bytes
// untouched, in the original order (so an ODF "mimetype" stays first and stored). Everything that
// can be known before writing is checked then: an entry libzip cannot copy (encrypted, a name
// twice, a local header that cannot be read) is refused as a damaged document. writeTo() then
// streams the file into a descriptor: the copied entries pass from the old file to the new one a
// few kilobytes at a time, so a large untouched entry (a picture, a video) never sits in memory.
// Shares the old package, which stays open until the new one is written or dropped. Failures are
// RuntimeError with an Italian description: DocumentFault::NotSaved when the new file cannot be
// written, DocumentFault::Unreadable when an entry of the old one cannot be read. One thread at a
// time.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>

struct zip;

namespace K7X_DoruVevuzu::documents {

class Package;
class FileSink;

class NewPackage {
public:
    NewPackage(std::shared_ptr<const Package> old, const std::map<QString, QByteArray>& parts);
    ~NewPackage();
    NewPackage(const NewPackage&) = delete;
    NewPackage& operator=(const NewPackage&) = delete;

    // Writes the new file into `fd` from where it stands; once only.
    void writeTo(int fd);

private:
    std::shared_ptr<const Package> m_old;
    FileSink* m_sink = nullptr; // the source m_archive writes into; freed with it
    zip* m_archive = nullptr;
};

} // namespace K7X_DoruVevuzu::documents
