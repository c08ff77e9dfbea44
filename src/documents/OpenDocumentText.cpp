// The .odt format: its table of elements, and its stories (body, footnotes, endnotes,
// comments, the master pages' headers and footers, text boxes).
#include "documents/OpenDocumentText.h"

#include "documents/Markup.h"
#include "documents/XmlPart.h"

#include <string_view>
#include <utility>
#include <vector>

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
        .elements = elementTable({
            {{Role::Paragraph}, {"text:p", "text:h"}},
            {{Role::Cell}, {"table:table-cell", "table:covered-table-cell"}},
            {{Role::Spaces}, {"text:s"}},
            {{Role::Character, mark::Tab}, {"text:tab"}},
            {{Role::Character, mark::LineBreak}, {"text:line-break"}},
            {{Role::Object, mark::NoteReference}, {"text:note"}},
            {{Role::InsertionStart}, {"text:change-start"}},
            {{Role::InsertionEnd}, {"text:change-end"}},
            {{Role::Descend}, {"text:span", "text:a", "text:meta", "text:ruby", "text:ruby-base"}},
            // The comments (a story of their own), declarations, numbers, marks that show nothing.
            {{Role::Skip},
             {"office:annotation", "text:tracked-changes", "text:sequence-decls",
              "text:variable-decls", "text:user-field-decls", "text:dde-connection-decls",
              "office:forms", "text:number", "text:ruby-text", "table:table-columns",
              "table:table-column", "table:table-header-columns", "text:bookmark",
              "text:bookmark-start", "text:bookmark-end", "text:soft-page-break"}},
        }),
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
        const std::pair<const char*, std::vector<pugi::xml_node>> groups[] = {
            {"footnotes", noteBodies(root, "footnote")},
            {"endnotes", noteBodies(root, "endnote")},
            {"comments", descendantsNamed(root, "office:annotation")}};
        for (const auto& [kind, group] : groups) {
            if (group.empty())
                continue;
            stories.push_back(walkedStory(content, markup(), group));
            stories.back()->setKind(kind);
        }
        std::vector<XmlPart*> storyParts{&content};
        if (parts.contains(stylesPart())) {
            XmlPart& styles = parts.part(stylesPart());
            storyParts.push_back(&styles);
            for (const pugi::xml_node region : headersAndFooters(styles.root())) {
                stories.push_back(walkedStory(styles, markup(), {region}));
                stories.back()->setKind(std::string_view(region.name()).starts_with("style:header")
                                            ? "header"
                                            : "footer");
            }
        }
        appendTextBoxStories(storyParts, markup(), stories);
    }
};

} // namespace

std::unique_ptr<Format> openDocumentTextFormat() {
    return std::make_unique<OpenDocumentTextFormat>();
}

} // namespace K7X_DoruVevuzu::documents
