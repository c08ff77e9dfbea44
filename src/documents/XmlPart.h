// XmlPart and XmlParts: the XML parts of one package, parsed on first use and kept as written.
//
// Parsing keeps every text node (also white space between elements), the declaration,
// comments and processing instructions, so an untouched stretch serializes as it was read
// (up to the XML-neutral spelling of escapes and empty elements), in the encoding it was read
// in, with its byte order mark if it had one. A part that is not
// well-formed XML ends in a RuntimeError (DocumentFault::Unreadable) naming the part and the
// byte offset. Before parsing, a part's bytes are counted for the nodes and attributes its tree
// will hold, and a part that would take the document past kMaxNodes is refused; once parsed, a
// tree deeper than kMaxDepth is refused before anything walks it; XmlParts also refuses parts
// that together pass kMaxDocumentSize, from the sizes the package's directory gives, before
// inflating them. XmlParts owns its parts and borrows the Package; one thread at a time.
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <map>
#include <memory>

namespace K7X_DoruVevuzu::documents {

class Package;

class XmlPart {
public:
    // The nodes and attributes of a document's parts together. Parsed and walked, each takes up
    // to 130 bytes and 1.4 µs, so a document at the limit opens and saves within 200 MB and 2 s;
    // a 30-page report holds 13,000.
    static constexpr qsizetype kMaxNodes = 1'000'000;
    // Levels of nesting, text nodes included: a text box in a table cell in a text box holds
    // about 40. The story walker recurses once a level.
    static constexpr int kMaxDepth = 512;

    // `nodesLeft`: what the document's parts parsed before leave of kMaxNodes.
    XmlPart(QString name, QByteArray bytes, const QString& documentPath,
            qsizetype nodesLeft = kMaxNodes);
    ~XmlPart(); // its bytes go to the thread's spares (documents/Spares.h)
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    const QString& name() const { return m_name; }
    const QString& documentPath() const { return m_documentPath; }
    pugi::xml_node root() const { return m_dom.document_element(); }
    QByteArray serialize() const;
    qsizetype byteSize() const { return m_bytes.size(); }
    qsizetype nodeCount() const { return m_counts.nodes; } // as counted before parsing
    // The characters its stories show together, at most (ODF runs of spaces aside): a character
    // for each byte outside tags and one for each node.
    qsizetype shownAtMost() const { return m_counts.textBytes + m_counts.nodes; }

    bool modified = false;   // changed since the package was opened
    qsizetype storyText = 0; // characters of the stories built from it (see Story)

private:
    struct Counts {
        qsizetype nodes = 0;
        qsizetype textBytes = 0; // outside tags
    };
    static Counts counted(const QByteArray& xml);

    QString m_name;
    QString m_documentPath;
    QByteArray m_bytes; // parsed in place: the DOM points into these bytes
    Counts m_counts;    // before parsing
    pugi::xml_document m_dom;
    pugi::xml_encoding m_encoding = pugi::encoding_utf8; // as read
    bool m_byteOrderMark = false;                        // as read
};

class XmlParts {
public:
    // The XML of one document's parsed parts together: a body at the part limit and half as
    // much in notes, headers and comments.
    static constexpr qsizetype kMaxDocumentSize = 96 << 20;

    explicit XmlParts(const Package& package) : m_package(package) {}

    bool contains(const QString& name) const;
    XmlPart& part(const QString& name);
    // The serialized text of every part changed since the package was opened.
    std::map<QString, QByteArray> modifiedParts() const;

private:
    const Package& m_package;
    std::map<QString, std::unique_ptr<XmlPart>> m_parts;
    qsizetype m_size = 0;  // bytes of the parts parsed so far
    qsizetype m_nodes = 0; // and their nodes
};

} // namespace K7X_DoruVevuzu::documents
