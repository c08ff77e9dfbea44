#include "documents/XmlPart.h"

#include "documents/DocumentError.h"
#include "documents/Package.h"

#include <algorithm>
#include <cstring>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;
constexpr unsigned kSaveOptions = pugi::format_raw | pugi::format_no_declaration;

// Copies the serializer's chunks into one buffer, sized up front and doubled when needed.
struct ByteArrayWriter : pugi::xml_writer {
    explicit ByteArrayWriter(qsizetype expected) : bytes(expected, Qt::Uninitialized) {}
    void write(const void* data, size_t size) override {
        const auto length = static_cast<qsizetype>(size);
        if (used + length > bytes.size())
            bytes.resize(std::max(used + length, 2 * bytes.size()));
        std::memcpy(bytes.data() + used, data, size);
        used += length;
    }
    QByteArray bytes;
    qsizetype used = 0;
};

} // namespace

XmlPart::XmlPart(QString name, QByteArray bytes, const QString& documentPath)
    : m_name(std::move(name)), m_bytes(std::move(bytes)) {
    const pugi::xml_parse_result parsed = m_dom.load_buffer_inplace(
        m_bytes.data(), static_cast<size_t>(m_bytes.size()), kParseOptions, pugi::encoding_auto);
    m_encoding = parsed.encoding;
    m_byteOrderMark = m_bytes.startsWith("\xEF\xBB\xBF") || m_bytes.startsWith("\xFF\xFE") ||
                      m_bytes.startsWith("\xFE\xFF");
    if (!parsed || !m_dom.document_element())
        documentFailure(DocumentFault::Unreadable,
                        QStringLiteral("Impossibile aprire il documento '%1': la parte '%2' non "
                                       "è XML valido (byte %3).")
                            .arg(displayName(documentPath), m_name)
                            .arg(static_cast<qint64>(parsed.offset)));
}

QByteArray XmlPart::serialize() const {
    ByteArrayWriter writer(m_bytes.size() + m_bytes.size() / 8);
    m_dom.save(writer, "", kSaveOptions | (m_byteOrderMark ? pugi::format_write_bom : 0),
               m_encoding);
    writer.bytes.truncate(writer.used);
    return std::move(writer.bytes);
}

bool XmlParts::contains(const QString& name) const {
    return m_parts.count(name) != 0 || m_package.contains(name);
}

XmlPart& XmlParts::part(const QString& name) {
    auto& slot = m_parts[name];
    if (!slot)
        slot = std::make_unique<XmlPart>(name, m_package.read(name), m_package.path());
    return *slot;
}

std::map<QString, QByteArray> XmlParts::modifiedParts() const {
    std::map<QString, QByteArray> result;
    for (const auto& [name, part] : m_parts) {
        if (part && part->modified)
            result.emplace(name, part->serialize());
    }
    return result;
}

} // namespace K7X_DoruVevuzu::documents
