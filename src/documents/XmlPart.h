// XmlPart and XmlParts: the XML parts of one package, parsed on first use and kept as written.
//
// Parsing keeps every text node (also white space between elements), the declaration,
// comments and processing instructions, so an untouched stretch serializes as it was read
// (up to the XML-neutral spelling of escapes and empty elements), in the encoding it was read
// in, with its byte order mark if it had one. A part that is not
// well-formed XML ends in a RuntimeError (DocumentFault::Unreadable) naming the part and the
// byte offset. XmlParts owns its parts and borrows the Package; one thread at a time.
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
    XmlPart(QString name, QByteArray bytes, const QString& documentPath);
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    const QString& name() const { return m_name; }
    pugi::xml_node root() const { return m_dom.document_element(); }
    QByteArray serialize() const;
    qsizetype byteSize() const { return m_bytes.size(); }

    bool modified = false; // changed since the package was opened

private:
    QString m_name;
    QByteArray m_bytes; // parsed in place: the DOM points into these bytes
    pugi::xml_document m_dom;
    pugi::xml_encoding m_encoding = pugi::encoding_utf8; // as read
    bool m_byteOrderMark = false;                        // as read
};

class XmlParts {
public:
    explicit XmlParts(const Package& package) : m_package(package) {}

    bool contains(const QString& name) const;
    XmlPart& part(const QString& name);
    // The serialized text of every part changed since the package was opened.
    std::map<QString, QByteArray> modifiedParts() const;

private:
    const Package& m_package;
    std::map<QString, std::unique_ptr<XmlPart>> m_parts;
};

} // namespace K7X_DoruVevuzu::documents
