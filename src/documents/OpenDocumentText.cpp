// The .odt package: its stories (body, footnotes, endnotes, comments, the master pages'
// headers and footers, text boxes) and the encoder that writes text into spans.
#include "documents/OpenDocumentText.h"

#include "documents/Format.h"
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

// A space may be written as itself only where it cannot collapse: after a shown character
// that is not white space, and not as the last character of a text node.
bool spaceMayStayLiteral(QChar before, bool last) {
    return !last && !before.isNull() && before.unicode() >= 0x20 && before != u' ';
}

class Encoder : public TextEncoder {
public:
    std::vector<Segment> write(const Segment& segment, const QString& text,
                               QChar previous) const override {
        Writer writer(segment.node);
        qsizetype i = 0;
        while (i < text.size()) {
            const QChar c = text[i];
            if (c == u' ') {
                qsizetype end = i;
                while (end < text.size() && text[end] == u' ')
                    ++end;
                int run = static_cast<int>(end - i);
                if (spaceMayStayLiteral(i > 0 ? text[i - 1] : previous, end == text.size())) {
                    writer.literal += u' ';
                    --run;
                }
                if (run > 0)
                    writer.spaces(run);
                i = end;
            } else if (c == mark::Tab || c == mark::LineBreak) {
                writer.element(c == mark::Tab ? "text:tab" : "text:line-break");
                ++i;
            } else {
                writer.literal += c;
                ++i;
            }
        }
        return writer.finish();
    }

    pugi::xml_node newTextBefore(pugi::xml_node element) const override {
        return element.parent().insert_child_before(pugi::node_pcdata, element);
    }

    bool dependsOnPrevious(const Segment& segment) const override {
        const char first = *segment.node.value();
        return first == ' ' || first == '\t' || first == '\r' || first == '\n';
    }

private:
    // Places the pieces of one text in order: the first literal piece reuses the text node.
    struct Writer {
        explicit Writer(pugi::xml_node node) : original(node), parent(node.parent()) {}

        pugi::xml_node place(pugi::xml_node_type type, const char* name = nullptr) {
            pugi::xml_node node = reused ? parent.insert_child_after(type, last)
                                         : parent.insert_child_before(type, original);
            if (name)
                node.set_name(name);
            last = node;
            return node;
        }
        void flush() {
            if (literal.isEmpty())
                return;
            pugi::xml_node node = original;
            if (reused)
                node = place(pugi::node_pcdata);
            reused = true;
            last = node;
            node.set_value(literal.toUtf8().constData());
            written.push_back(
                writtenPiece(SegmentKind::Text, node, static_cast<int>(literal.size())));
            literal.clear();
        }
        void spaces(int count) {
            flush();
            pugi::xml_node node = place(pugi::node_element, "text:s");
            if (count > 1)
                node.append_attribute("text:c") = count;
            written.push_back(writtenPiece(SegmentKind::Spaces, node, count));
        }
        void element(const char* name) {
            flush();
            written.push_back(
                writtenPiece(SegmentKind::Removable, place(pugi::node_element, name), 1));
        }
        std::vector<Segment> finish() {
            flush();
            if (!reused)
                parent.remove_child(original);
            return std::move(written);
        }

        pugi::xml_node original;
        pugi::xml_node parent;
        pugi::xml_node last;
        bool reused = false;
        QString literal;
        std::vector<Segment> written;
    };
};

std::unique_ptr<Story> walkedStory(XmlPart& part, const std::vector<pugi::xml_node>& roots,
                                   bool wholePart = false) {
    auto story = std::make_unique<Story>(part, openDocumentEncoder());
    if (wholePart)
        story->reserveWholePart();
    for (const pugi::xml_node root : roots)
        walkOpenDocumentStory(*story, root);
    return story;
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
            walkedStory(content, {root.child("office:body").child("office:text")}, true));
        for (const auto& group : {noteBodies(root, "footnote"), noteBodies(root, "endnote"),
                                  descendantsNamed(root, "office:annotation")}) {
            if (!group.empty())
                stories.push_back(walkedStory(content, group));
        }
        XmlPart* styles = parts.contains(stylesPart()) ? &parts.part(stylesPart()) : nullptr;
        if (styles) {
            for (const pugi::xml_node region : headersAndFooters(styles->root()))
                stories.push_back(walkedStory(*styles, {region}));
        }
        for (XmlPart* part : {&content, styles}) {
            if (!part)
                continue;
            for (const pugi::xml_node box : descendantsNamed(part->root(), "draw:text-box"))
                stories.push_back(walkedStory(*part, {box}));
        }
    }
};

} // namespace

const TextEncoder& openDocumentEncoder() {
    static const Encoder encoder;
    return encoder;
}

std::unique_ptr<Format> openDocumentTextFormat() {
    return std::make_unique<OpenDocumentTextFormat>();
}

} // namespace K7X_DoruVevuzu::documents
