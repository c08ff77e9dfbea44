// Package: one zip package (a .docx or an .odt file) opened for reading, and its rewrite.
//
// Owns the open archive (one file descriptor) until destroyed. read() inflates one part,
// refusing parts larger than kMaxPartSize so that a hostile file cannot exhaust memory.
// rewritten() builds the package again in memory: the parts given anew are deflated, every
// other entry is copied with its compressed bytes untouched, in the original order (so an
// ODF "mimetype" stays first and stored); writing it to disk is the caller's. Every failure
// is a RuntimeError with an Italian description. One thread at a time.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>

struct zip;

namespace K7X_DoruVevuzu::documents {

class Package {
public:
    static constexpr std::uint64_t kMaxPartSize = 256ull << 20;

    explicit Package(const QString& path);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    const QString& path() const { return m_path; }
    bool contains(const QString& part) const;
    QByteArray read(const QString& part) const;
    QByteArray rewritten(const std::map<QString, QByteArray>& replacedParts) const;

private:
    QString m_path;
    zip* m_archive = nullptr;
};

} // namespace K7X_DoruVevuzu::documents
