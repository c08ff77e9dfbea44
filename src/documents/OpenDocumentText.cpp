// The .odt format: its table of elements, and its stories (body, footnotes, endnotes,
// comments, the master pages' headers and footers, text boxes).
#include "documents/OpenDocumentText.h"

#include "documents/Markup.h"
#include "documents/XmlPart.h"

#include <string_view>

namespace K7X_DoruVevuzu::documents {

namespace {

QString contentPart() {
    return QStringLiteral("content.xml");
}
QString stylesPart() {
    return QStringLiteral("styles.xml");
}

const Markup& markup() {
    static const Markup table{
        .elements =
            {
                {"text:p", {Role::Paragraph}},
                {"text:h", {Role::Paragraph}},
                {"table:table-cell", {Role::Cell}},
                {"table:covered-table-cell", {Role::Cell}},
                {"text:s", {Role::Spaces}},
                {"text:tab", {Role::Character, mark::Tab}},
                {"text:line-break", {Role::Character, mark::LineBreak}},
                {"text:note", {Role::Object, mark::NoteReference}},
                {"text:change-start", {Role::InsertionStart}},
                {"text:change-end", {Role::InsertionEnd}},
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
            },
        .patterns =
            {
                {"", "-source", Role::Skip, Role::Skip}, // index templates, not shown
                {"draw:", "", Role::Object, Role::Skip, mark::Object},
                {"dr3d:", "", Role::Object, Role::Skip, mark::Object},
                // Inside a paragraph any other text element is a field showing its content.
                {"text:", "", Role::Field, Role::Descend},
            },
        .tab = "text:tab",
        .lineBreak = "text:line-break",
        .spaces = "text:s",
        .spaceCount = "text:c",
        .textBox = "draw:text-box",
    };
    return table;
}

std::vector<pugi::xml_node> noteBodies(pugi::xml_node root, std::string_view noteClass) {
    std::vector<pugi::xml_node> bodies;
    for (const pugi::xml_node note : descendantsNamed(root, "text:note")) {
        if (note.attribute("text:note-class").value() == noteClass)
            bodies.push_back(note.child("text:note-body"));
    }
    return bodies;
}

std::vector<pugi::xml_node> headersAndFooters(pugi::xml_node stylesRoot) {
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node page : stylesRoot.child("office:master-styles").children()) {
        for (const pugi::xml_node child : page.children()) {
            const std::string_view name = child.name();
            if (name.starts_with("style:header") || name.starts_with("style:footer"))
                found.push_back(child);
        }
    }
    return found;
}

class OpenDocumentTextFormat : public Format {
public:
    QString mainPart() const override { return contentPart(); }

    void loadStories(XmlParts& parts, Stories& stories) const override {
        XmlPart& content = parts.part(contentPart());
        const pugi::xml_node root = content.root();
        stories.push_back(
            walkedStory(content, markup(), {root.child("office:body").child("office:text")}, true));
        for (const auto& group : {noteBodies(root, "footnote"), noteBodies(root, "endnote"),
                                  descendantsNamed(root, "office:annotation")}) {
            if (!group.empty())
                stories.push_back(walkedStory(content, markup(), group));
        }
        std::vector<XmlPart*> storyParts{&content};
        if (parts.contains(stylesPart())) {
            XmlPart& styles = parts.part(stylesPart());
            storyParts.push_back(&styles);
            for (const pugi::xml_node region : headersAndFooters(styles.root()))
                stories.push_back(walkedStory(styles, markup(), {region}));
        }
        appendTextBoxStories(storyParts, markup(), stories);
    }
};

} // namespace

std::unique_ptr<Format> openDocumentTextFormat() {
    return std::make_unique<OpenDocumentTextFormat>();
}

} // namespace K7X_DoruVevuzu::documents
