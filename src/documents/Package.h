// Package: one zip package (a .docx or an .odt file) opened for reading, and its rewrite.
//
// Owns the open archive (one file descriptor) until destroyed. read() inflates one part into
// a buffer of the size the directory gives, never past it (a part longer than it says is
// damaged); before inflating it refuses a part larger than kMaxPartSize, so that neither a
// hostile file nor a directory that lies can make it take more memory than that. How much a part
// deflated is no sign of a hostile one: a well-made part repeating one shape (empty table rows,
// many similar text boxes) deflates past 300:1.
// Deflated parts are inflated whole by libdeflate, their checksum checked; parts stored
// otherwise go through libzip.
// Its new file is documents/NewPackage.h's. Every failure is a RuntimeError with an Italian
// description. One thread at a time.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <sys/stat.h>

struct zip;

namespace K7X_DoruVevuzu::documents {

struct Place;

class Package {
public:
    // The body of 7,000 pages like the benchmark's report (30 pages, 283 KB); keeps every story
    // position within an int.
    static constexpr std::uint64_t kMaxPartSize = 64ull << 20;

    // The package at `place`, opened without following a link or blocking: anything but a
    // regular file (a pipe, a device, a folder, a link) is refused naming it.
    explicit Package(const Place& place);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    const QString& path() const { return m_path; }
    const struct stat& status() const { return m_status; } // the file's, once opened
    bool contains(const QString& part) const;
    // The size the directory gives for `part`, as read() checks it, without inflating it.
    std::uint64_t sizeOf(const QString& part) const;
    QByteArray read(const QString& part) const;

private:
    friend class NewPackage; // copies the entries it does not replace
    // Inflates the deflated entry `index` (`compressed` bytes, checksum `crc`) into `bytes`,
    // already of its size: false when it is damaged or no memory could be had for it.
    bool inflated(std::uint64_t index, std::uint64_t compressed, std::uint32_t crc,
                  QByteArray& bytes) const;

    QString m_path;
    zip* m_archive = nullptr;
    struct stat m_status {};
    std::uint64_t m_fileSize = 0; // the most any part's compressed bytes can take
};

} // namespace K7X_DoruVevuzu::documents
