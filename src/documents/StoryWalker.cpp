// The shared story walker: reads a part's XML tree by a format's Markup and appends segments
// to a Story.
#include "documents/DocumentError.h"
#include "documents/Markup.h"
#include "documents/XmlPart.h"

#include <QStringDecoder>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr int kMaxSpaceRun = 1 << 16;

// The text of an XML text node, a U+FEFF at its start included (QString::fromUtf8 would drop
// it as a byte order mark, but inside a document it is a character of the text). Stateless:
// an incomplete sequence at the node's end reads as U+FFFD, as it does once a node written
// after it ends up beside it, instead of vanishing.
QString nodeText(const char* utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                     QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(utf8));
}

// The text a text element shows: without xml:space="preserve" its outer white space does not
// count.
QString elementText(pugi::xml_node text) {
    QString raw = nodeText(text.text().get());
    if (std::string_view(text.attribute("xml:space").value()) == "preserve")
        return raw;
    qsizetype first = 0;
    qsizetype last = raw.size();
    while (first < last && isXmlSpace(raw[first].unicode()))
        ++first;
    while (last > first && isXmlSpace(raw[last - 1].unicode()))
        --last;
    return raw.mid(first, last - first);
}

// Reads one root into a story, in reading order: every character with its scope, the white
// space of character data collapsed, field instructions left out.
class Walker {
public:
    Walker(Story& story, const Markup& markup) : m_story(story), m_markup(markup) {}

    // Recurses once a level: the part's depth is bounded (XmlPart::kMaxDepth).
    void walk(pugi::xml_node parent) {
        for (pugi::xml_node node = parent.first_child(), next; node; node = next) {
            next = node.next_sibling(); // characters() may remove the node
            if (node.type() == pugi::node_element)
                visit(node);
            else if ((node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) &&
                     !m_markup.text && m_scope.paragraph)
                characters(node);
        }
    }

private:
    struct OpenField {
        int id;
        bool inInstructions;
    };

    void visit(pugi::xml_node node) {
        const ElementRule element = m_markup.ruleOf(node.name(), m_scope.paragraph != nullptr);
        switch (element.role) {
        case Role::Descend:
            walk(node);
            break;
        case Role::Skip:
            break;
        case Role::Paragraph:
            paragraph(node);
            break;
        case Role::Cell:
            walk(node);
            boundary(node, mark::CellEnd);
            break;
        case Role::Text:
            show(SegmentKind::Text, node, elementText(node));
            break;
        case Role::Character:
            show(SegmentKind::Removable, node, QString(element.shown));
            break;
        case Role::Break: {
            const bool page =
                std::string_view(node.attribute(m_markup.breakType).value()) == "page";
            show(SegmentKind::Removable, node, QString(page ? mark::PageBreak : mark::LineBreak));
            break;
        }
        case Role::Spaces:
            show(SegmentKind::Spaces, node, QString(spaceCount(node), u' '));
            break;
        case Role::Object:
            show(SegmentKind::Object, node, QString(element.shown));
            break;
        case Role::FieldMark:
            fieldMark(node.attribute(m_markup.fieldMarkType).value());
            break;
        case Role::Field:
            m_fields.push_back({++m_nextField, false});
            refreshField();
            walk(node);
            m_fields.pop_back();
            refreshField();
            break;
        case Role::Inserted: {
            const int outer = m_scope.revision;
            m_scope.revision = ++m_nextRevision;
            walk(node);
            m_scope.revision = outer;
            break;
        }
        case Role::InsertionStart:
            m_scope.revision = ++m_nextRevision;
            break;
        case Role::InsertionEnd:
            m_scope.revision = 0;
            break;
        case Role::Alternatives: {
            const pugi::xml_node choice = node.child(m_markup.alternatives.choice);
            walk(choice ? choice : node.child(m_markup.alternatives.fallback));
            break;
        }
        }
    }

    void paragraph(pugi::xml_node node) {
        const void* outer = m_scope.paragraph;
        m_scope.paragraph = node.internal_object();
        m_collapse = true; // white space at the start of a paragraph does not show
        m_pendingSpace = false;
        walk(node);
        if (m_pendingSpace) // nor at its end
            m_story.dropLastCharacter();
        if (!m_markup.paragraphEndHidden || !m_markup.paragraphEndHidden(node))
            boundary(node, mark::ParagraphEnd);
        m_scope.paragraph = outer;
    }

    // A paragraph or cell end. White space after it collapses as at a paragraph's start, so
    // that what shows after it never depends on the text before it (a paragraph or a cell
    // found inside a paragraph).
    void boundary(pugi::xml_node node, char16_t shown) {
        m_story.append(SegmentKind::Boundary, node, QString(shown), m_scope);
        m_collapse = true;
        m_pendingSpace = false;
    }

    // Character data of a paragraph: runs of white space show as one space, none at the
    // paragraph's start or end.
    void characters(pugi::xml_node node) {
        const QString raw = nodeText(node.value());
        QString text;
        text.reserve(raw.size());
        for (const QChar c : raw) {
            if (!isXmlSpace(c.unicode())) {
                text += c;
                m_collapse = false;
                m_pendingSpace = false;
            } else if (!m_collapse) {
                text += u' ';
                m_collapse = true;
                m_pendingSpace = true;
            }
        }
        // White space that all collapses shows nothing, yet would show once an edit before it
        // ended in a space element or lost its last space: removing it shows the same.
        if (text.isEmpty())
            node.parent().remove_child(node);
        else
            m_story.append(SegmentKind::Text, node, text, m_scope);
    }

    // What an element shows, unless it stands among a field's instructions.
    void show(SegmentKind kind, pugi::xml_node node, const QString& shown) {
        if (inInstructions())
            return;
        m_story.append(kind, node, shown, m_scope);
        m_collapse = false;
        m_pendingSpace = false;
    }

    int spaceCount(pugi::xml_node spaces) const {
        const int count = spaces.attribute(m_markup.spaceCount).as_int(1);
        if (count > kMaxSpaceRun)
            documentFailure(DocumentFault::Unreadable,
                            QStringLiteral("Impossibile aprire il documento: una sequenza di "
                                           "%1 spazi supera il limite di %2.")
                                .arg(count)
                                .arg(kMaxSpaceRun));
        return count < 1 ? 1 : count;
    }

    void fieldMark(std::string_view type) {
        if (type == "begin") {
            m_fields.push_back({++m_nextField, true});
            ++m_inInstructions;
        } else if (type == "separate" && !m_fields.empty()) {
            m_inInstructions -= m_fields.back().inInstructions;
            m_fields.back().inInstructions = false;
        } else if (type == "end" && !m_fields.empty()) {
            m_inInstructions -= m_fields.back().inInstructions;
            m_fields.pop_back();
        }
        refreshField();
    }

    bool inInstructions() const { return m_inInstructions > 0; }
    void refreshField() { m_scope.field = m_fields.empty() ? 0 : m_fields.back().id; }

    Story& m_story;
    const Markup& m_markup;
    Scope m_scope;
    std::vector<OpenField> m_fields;
    int m_nextField = 0;
    int m_nextRevision = 0;
    int m_inInstructions = 0;    // open fields among whose instructions the walk stands
    bool m_collapse = true;      // character data's white space here does not show
    bool m_pendingSpace = false; // the last character shown is a collapsed space
};

} // namespace

ElementTable elementTable(std::initializer_list<ElementRow> rows) {
    ElementTable table;
    for (const ElementRow& row : rows) {
        for (const std::string_view name : row.names)
            table.emplace(name, row.rule);
    }
    return table;
}

ElementRule Markup::ruleOf(std::string_view name, bool inParagraph) const {
    if (const auto found = elements.find(name); found != elements.end())
        return found->second;
    for (const NamePattern& pattern : patterns) {
        if (name.starts_with(pattern.prefix) && name.ends_with(pattern.suffix))
            return {inParagraph ? pattern.inParagraph : pattern.elsewhere, pattern.shown};
    }
    return {Role::Descend};
}

std::unique_ptr<Story> walkedStory(XmlPart& part, const Markup& markup,
                                   const std::vector<pugi::xml_node>& roots, bool wholePart) {
    auto story = std::make_unique<Story>(part, markup.placer);
    if (wholePart)
        story->reserveWholePart();
    for (const pugi::xml_node root : roots) // each root read afresh
        Walker(*story, markup).walk(root);
    return story;
}

} // namespace K7X_DoruVevuzu::documents
