#include "documents/DocumentError.h"
#include "documents/Format.h"
#include "documents/OpenDocumentText.h"

#include <string_view>
#include <unordered_map>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr int kMaxSpaceRun = 1 << 16;

enum class Role {
    Descend,
    Skip,
    Paragraph,
    Cell,
    Spaces,
    Character,
    Object,
    Field,
    ChangeStart,
    ChangeEnd,
};

struct Element {
    Role role;
    char16_t shown = 0;
};

Element elementOf(std::string_view name, bool inParagraph) {
    static const std::unordered_map<std::string_view, Element> table = {
        {"text:p", {Role::Paragraph}},
        {"text:h", {Role::Paragraph}},
        {"table:table-cell", {Role::Cell}},
        {"table:covered-table-cell", {Role::Cell}},
        {"text:s", {Role::Spaces}},
        {"text:tab", {Role::Character, mark::Tab}},
        {"text:line-break", {Role::Character, mark::LineBreak}},
        {"text:note", {Role::Object, mark::NoteReference}},
        {"text:change-start", {Role::ChangeStart}},
        {"text:change-end", {Role::ChangeEnd}},
        {"office:annotation", {Role::Skip}}, // the comments' story
        {"text:tracked-changes", {Role::Skip}},
        {"text:sequence-decls", {Role::Skip}},
        {"text:variable-decls", {Role::Skip}},
        {"text:user-field-decls", {Role::Skip}},
        {"text:dde-connection-decls", {Role::Skip}},
        {"office:forms", {Role::Skip}},
        {"text:number", {Role::Skip}},
        {"text:ruby-text", {Role::Skip}},
        {"table:table-columns", {Role::Skip}},
        {"table:table-column", {Role::Skip}},
        {"table:table-header-columns", {Role::Skip}},
        {"text:span", {Role::Descend}},
        {"text:a", {Role::Descend}},
        {"text:meta", {Role::Descend}},
        {"text:ruby", {Role::Descend}},
        {"text:ruby-base", {Role::Descend}},
        {"text:bookmark", {Role::Skip}},
        {"text:bookmark-start", {Role::Skip}},
        {"text:bookmark-end", {Role::Skip}},
        {"text:soft-page-break", {Role::Skip}},
    };
    if (const auto found = table.find(name); found != table.end())
        return found->second;
    if (name.ends_with("-source")) // index templates, not shown
        return {Role::Skip};
    if (name.starts_with("draw:") || name.starts_with("dr3d:"))
        return {inParagraph ? Role::Object : Role::Skip, mark::Object};
    // Inside a paragraph any other text element is a field showing its content.
    return {inParagraph && name.starts_with("text:") ? Role::Field : Role::Descend};
}

bool isCollapsible(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

class Walker {
public:
    explicit Walker(Story& story) : m_story(story) {}

    void walk(pugi::xml_node parent) {
        const DepthGuard guard(m_depth);
        for (pugi::xml_node node = parent.first_child(), next; node; node = next) {
            next = node.next_sibling(); // characters() may remove the node
            if (node.type() == pugi::node_element)
                visit(node);
            else if ((node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) &&
                     m_scope.paragraph)
                characters(node);
        }
    }

private:
    void visit(pugi::xml_node node) {
        const Element element = elementOf(node.name(), m_scope.paragraph != nullptr);
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
        case Role::Spaces:
            shown(SegmentKind::Spaces, node, QString(spaceCount(node), u' '));
            break;
        case Role::Character:
            shown(SegmentKind::Removable, node, QString(element.shown));
            break;
        case Role::Object:
            shown(SegmentKind::Object, node, QString(element.shown));
            break;
        case Role::Field: {
            const int outer = m_scope.field;
            m_scope.field = ++m_nextScope;
            walk(node);
            m_scope.field = outer;
            break;
        }
        case Role::ChangeStart:
            m_scope.revision = ++m_nextScope;
            break;
        case Role::ChangeEnd:
            m_scope.revision = 0;
            break;
        }
    }

    void paragraph(pugi::xml_node node) {
        const Scope outer = m_scope;
        m_scope = {node.internal_object(), 0, outer.revision};
        m_collapse = true; // white space at the start of a paragraph does not show
        m_pendingSpace = false;
        walk(node);
        if (m_pendingSpace) // nor at its end
            m_story.dropLastCharacter();
        boundary(node, mark::ParagraphEnd);
        m_scope.paragraph = outer.paragraph;
        m_scope.field = outer.field;
    }

    // A paragraph or cell end. White space after it collapses as at a paragraph's start, so
    // that what shows after it never depends on the text before it (a paragraph or a cell
    // found inside a paragraph).
    void boundary(pugi::xml_node node, char16_t shown) {
        m_story.append(SegmentKind::Boundary, node, QString(shown), m_scope);
        m_collapse = true;
        m_pendingSpace = false;
    }

    void characters(pugi::xml_node node) {
        const QString raw = nodeText(node.value());
        QString text;
        text.reserve(raw.size());
        for (const QChar c : raw) {
            if (!isCollapsible(c)) {
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

    void shown(SegmentKind kind, pugi::xml_node node, const QString& text) {
        m_story.append(kind, node, text, m_scope);
        m_collapse = false;
        m_pendingSpace = false;
    }

    static int spaceCount(pugi::xml_node spaces) {
        const int count = spaces.attribute("text:c").as_int(1);
        if (count > kMaxSpaceRun)
            documentFailure(DocumentFault::Unreadable,
                            QStringLiteral("Impossibile aprire il documento: una sequenza di "
                                           "%1 spazi supera il limite di %2.")
                                .arg(count)
                                .arg(kMaxSpaceRun));
        return count < 1 ? 1 : count;
    }

    Story& m_story;
    Scope m_scope;
    int m_nextScope = 0;
    int m_depth = 0;
    bool m_collapse = true;
    bool m_pendingSpace = false;
};

} // namespace

void walkOpenDocumentStory(Story& story, pugi::xml_node root) {
    Walker(story).walk(root);
}

} // namespace K7X_DoruVevuzu::documents
