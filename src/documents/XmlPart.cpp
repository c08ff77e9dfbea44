#include "documents/XmlPart.h"

#include "documents/DocumentError.h"
#include "documents/Package.h"
#include "documents/Spares.h"

#include <algorithm>
#include <cstring>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;
constexpr unsigned kSaveOptions = pugi::format_raw | pugi::format_no_declaration;

// Copies the serializer's chunks into one buffer, sized up front and doubled when needed.
struct ByteArrayWriter : pugi::xml_writer {
    explicit ByteArrayWriter(qsizetype expected) : bytes(Spares<QByteArray>::sized(expected)) {}
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

// Whether the tree of `dom` nests deeper than `limit` levels: traversed without recursion, and
// only up to the first node past the limit.
bool deeperThan(pugi::xml_document& dom, int limit) {
    struct DepthCheck : pugi::xml_tree_walker {
        explicit DepthCheck(int most) : limit(most) {}
        bool for_each(pugi::xml_node&) override { return !(deeper = depth() >= limit); }
        int limit;
        bool deeper = false;
    } check(limit);
    dom.traverse(check);
    return check.deeper;
}

} // namespace

// What the tree of `xml` will hold, counted on its bytes: a node for each tag that opens (a '<'
// not followed by '/') and each text after a tag (a '>' not followed by '<'), an attribute for
// each '='; and the bytes outside tags. Bytes of UTF-16 text count too, at most once more each.
XmlPart::Counts XmlPart::counted(const QByteArray& xml) {
    Counts size;
    const char* const end = xml.cend();
    for (const char* at = xml.cbegin(); at != end; ++at) {
        const char next = at + 1 != end ? at[1] : '<';
        size.nodes += (*at == '<' && next != '/') || (*at == '>' && next != '<') || *at == '=';
    }
    size.textBytes = xml.size();
    for (const char* tag = xml.cbegin();
         (tag = static_cast<const char*>(std::memchr(tag, '<', std::size_t(end - tag))));) {
        const auto* close = static_cast<const char*>(std::memchr(tag, '>', std::size_t(end - tag)));
        const char* after = close ? close + 1 : end;
        size.textBytes -= after - tag;
        tag = after;
    }
    return size;
}

XmlPart::XmlPart(QString name, QByteArray bytes, const QString& documentPath, qsizetype nodesLeft)
    : m_name(std::move(name)), m_documentPath(documentPath), m_bytes(std::move(bytes)),
      m_counts(counted(m_bytes)) {
    if (m_counts.nodes > nodesLeft)
        damagedPart(
            m_documentPath, m_name,
            QStringLiteral("porta il documento oltre il limite di %1 nodi XML").arg(kMaxNodes));
    const pugi::xml_parse_result parsed = m_dom.load_buffer_inplace(
        m_bytes.data(), static_cast<size_t>(m_bytes.size()), kParseOptions, pugi::encoding_auto);
    m_encoding = parsed.encoding;
    m_byteOrderMark = m_bytes.startsWith("\xEF\xBB\xBF") || m_bytes.startsWith("\xFF\xFE") ||
                      m_bytes.startsWith("\xFE\xFF");
    if (!parsed || !m_dom.document_element())
        damagedPart(
            m_documentPath, m_name,
            QStringLiteral("non è XML valido (byte %1)").arg(static_cast<qint64>(parsed.offset)));
    if (deeperThan(m_dom, kMaxDepth))
        damagedPart(m_documentPath, m_name,
                    QStringLiteral("è annidata oltre il limite di %1 livelli").arg(kMaxDepth));
}

XmlPart::~XmlPart() {
    m_dom.reset(); // it points into the bytes
    Spares<QByteArray>::give(std::move(m_bytes));
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
    if (const auto parsed = m_parts.find(name); parsed != m_parts.end())
        return *parsed->second;
    if (m_size + static_cast<qsizetype>(m_package.sizeOf(name)) > kMaxDocumentSize)
        unreadable(m_package.path(),
                   QStringLiteral("le sue parti XML superano insieme il limite di %1 MiB")
                       .arg(kMaxDocumentSize >> 20));
    auto part = std::make_unique<XmlPart>(name, m_package.read(name), m_package.path(),
                                          XmlPart::kMaxNodes - m_nodes);
    m_size += part->byteSize();
    m_nodes += part->nodeCount();
    return *m_parts.emplace(name, std::move(part)).first->second;
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
