#include "documents/Format.h"
#include "documents/WordprocessingML.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace K7X_DoruVevuzu::documents {

namespace {

enum class Role {
    Descend,
    Skip,
    Paragraph,
    Cell,
    Text,
    Character,
    Break,
    Object,
    FieldChar,
    SimpleField,
    Inserted,
    Alternatives,
};

struct Element {
    Role role;
    char16_t shown = 0;
};

Element elementOf(std::string_view name) {
    static const std::unordered_map<std::string_view, Element> table = {
        {"w:p", {Role::Paragraph}},
        {"w:tc", {Role::Cell}},
        {"w:t", {Role::Text}},
        {"w:tab", {Role::Character, mark::Tab}},
        {"w:ptab", {Role::Character, mark::Tab}},
        {"w:cr", {Role::Character, mark::LineBreak}},
        {"w:noBreakHyphen", {Role::Character, u'\u2011'}},
        {"w:softHyphen", {Role::Character, u'\u00AD'}},
        {"w:br", {Role::Break}},
        {"w:drawing", {Role::Object, mark::Object}},
        {"w:pict", {Role::Object, mark::Object}},
        {"w:object", {Role::Object, mark::Object}},
        {"w:control", {Role::Object, mark::Object}},
        {"w:sym", {Role::Object, mark::Object}},
        {"w:pgNum", {Role::Object, mark::Object}},
        {"w:separator", {Role::Object, mark::Object}},
        {"w:continuationSeparator", {Role::Object, mark::Object}},
        {"w:footnoteReference", {Role::Object, mark::NoteReference}},
        {"w:endnoteReference", {Role::Object, mark::NoteReference}},
        {"w:footnoteRef", {Role::Object, mark::NoteReference}},
        {"w:endnoteRef", {Role::Object, mark::NoteReference}},
        {"w:fldChar", {Role::FieldChar}},
        {"w:fldSimple", {Role::SimpleField}},
        {"w:ins", {Role::Inserted}},
        {"w:moveTo", {Role::Inserted}},
        {"w:del", {Role::Skip}},
        {"w:moveFrom", {Role::Skip}},
        {"w:delText", {Role::Skip}},
        {"w:instrText", {Role::Skip}},
        {"w:delInstrText", {Role::Skip}},
        {"w:txbxContent", {Role::Skip}}, // a story of its own
        {"mc:Fallback", {Role::Skip}},
        {"mc:AlternateContent", {Role::Alternatives}},
    };
    const auto found = table.find(name);
    if (found != table.end())
        return found->second;
    // Properties (w:rPr, w:pPr, w:sectPr, w:sdtPr...) hold no text of the story.
    return {name.ends_with("Pr") ? Role::Skip : Role::Descend};
}

bool isXmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The text a w:t shows: without xml:space="preserve" its outer white space does not count.
QString shownText(pugi::xml_node text) {
    QString raw = nodeText(text.text().get());
    if (std::string_view(text.attribute("xml:space").value()) == "preserve")
        return raw;
    qsizetype first = 0;
    qsizetype last = raw.size();
    while (first < last && isXmlSpace(raw[first]))
        ++first;
    while (last > first && isXmlSpace(raw[last - 1]))
        --last;
    return raw.mid(first, last - first);
}

bool paragraphMarkDeleted(pugi::xml_node paragraph) {
    const pugi::xml_node markProperties = paragraph.child("w:pPr").child("w:rPr");
    return markProperties.child("w:del") || markProperties.child("w:moveFrom");
}

class Walker {
public:
    explicit Walker(Story& story) : m_story(story) {}

    void walk(pugi::xml_node parent) {
        const DepthGuard guard(m_depth);
        for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
            if (node.type() == pugi::node_element)
                visit(node);
        }
    }

private:
    struct OpenField {
        int id;
        bool inInstructions;
    };

    void visit(pugi::xml_node node) {
        const Element element = elementOf(node.name());
        switch (element.role) {
        case Role::Descend:
            walk(node);
            break;
        case Role::Skip:
            break;
        case Role::Paragraph: {
            const void* outer = m_scope.paragraph;
            m_scope.paragraph = node.internal_object();
            walk(node);
            if (!paragraphMarkDeleted(node))
                m_story.append(SegmentKind::Boundary, node, QString(mark::ParagraphEnd), m_scope);
            m_scope.paragraph = outer;
            break;
        }
        case Role::Cell:
            walk(node);
            m_story.append(SegmentKind::Boundary, node, QString(mark::CellEnd), m_scope);
            break;
        case Role::Text:
            show(SegmentKind::Text, node, shownText(node));
            break;
        case Role::Character:
            show(SegmentKind::Removable, node, QString(element.shown));
            break;
        case Role::Break: {
            const bool page = std::string_view(node.attribute("w:type").value()) == "page";
            show(SegmentKind::Removable, node, QString(page ? mark::PageBreak : mark::LineBreak));
            break;
        }
        case Role::Object:
            show(SegmentKind::Object, node, QString(element.shown));
            break;
        case Role::FieldChar:
            fieldChar(std::string_view(node.attribute("w:fldCharType").value()));
            break;
        case Role::SimpleField:
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
        case Role::Alternatives: {
            const pugi::xml_node choice = node.child("mc:Choice");
            walk(choice ? choice : node.child("mc:Fallback"));
            break;
        }
        }
    }

    void show(SegmentKind kind, pugi::xml_node node, const QString& shown) {
        if (!inInstructions())
            m_story.append(kind, node, shown, m_scope);
    }

    void fieldChar(std::string_view type) {
        if (type == "begin")
            m_fields.push_back({++m_nextField, true});
        else if (type == "separate" && !m_fields.empty())
            m_fields.back().inInstructions = false;
        else if (type == "end" && !m_fields.empty())
            m_fields.pop_back();
        refreshField();
    }

    bool inInstructions() const {
        return std::any_of(m_fields.begin(), m_fields.end(),
                           [](const OpenField& field) { return field.inInstructions; });
    }
    void refreshField() { m_scope.field = m_fields.empty() ? 0 : m_fields.back().id; }

    Story& m_story;
    Scope m_scope;
    std::vector<OpenField> m_fields;
    int m_nextField = 0;
    int m_nextRevision = 0;
    int m_depth = 0;
};

// Writes text into a run: text pieces in w:t (the first one reusing the segment's node),
// tabs as w:tab, line breaks as w:br.
class Encoder : public TextEncoder {
public:
    std::vector<Segment> write(const Segment& segment, const QString& text, QChar) const override {
        pugi::xml_node original = segment.node;
        pugi::xml_node run = original.parent();
        pugi::xml_node last;
        bool reused = false;
        std::vector<Segment> written;
        const auto place = [&](const char* name) {
            last = reused ? run.insert_child_after(name, last)
                          : run.insert_child_before(name, original);
            return last;
        };
        qsizetype i = 0;
        while (i < text.size()) {
            const QChar c = text[i];
            if (c == mark::Tab || c == mark::LineBreak) {
                written.push_back(writtenPiece(SegmentKind::Removable,
                                               place(c == mark::Tab ? "w:tab" : "w:br"), 1));
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < text.size() && text[end] != mark::Tab && text[end] != mark::LineBreak)
                ++end;
            const QString piece = text.mid(i, end - i);
            pugi::xml_node node = reused ? place("w:t") : original;
            if (!reused) {
                reused = true;
                last = original;
            }
            setText(node, piece);
            written.push_back(
                writtenPiece(SegmentKind::Text, node, static_cast<int>(piece.size())));
            i = end;
        }
        if (!reused)
            run.remove_child(original);
        return written;
    }

    pugi::xml_node newTextBefore(pugi::xml_node element) const override {
        return element.parent().insert_child_before("w:t", element);
    }

private:
    static void setText(pugi::xml_node node, const QString& text) {
        node.text().set(text.toUtf8().constData());
        if (!text.isEmpty() && (isXmlSpace(text.front()) || isXmlSpace(text.back()))) {
            pugi::xml_attribute space = node.attribute("xml:space");
            (space ? space : node.append_attribute("xml:space")) = "preserve";
        }
    }
};

} // namespace

const TextEncoder& wordprocessingEncoder() {
    static const Encoder encoder;
    return encoder;
}

void walkWordprocessingStory(Story& story, pugi::xml_node root) {
    Walker(story).walk(root);
}

} // namespace K7X_DoruVevuzu::documents
