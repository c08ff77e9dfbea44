// The shared piece placer: writes new text into a format's elements by its Markup.
#include "documents/Markup.h"

namespace K7X_DoruVevuzu::documents {

namespace {

// A space may be written as itself only where it cannot collapse: after a shown character
// that is not white space, and not as the last character of a text node.
bool spaceMayStayLiteral(QChar before, bool last) {
    return !last && !before.isNull() && before.unicode() >= 0x20 && before != u' ';
}

// Places the pieces of one text in order, starting just before the segment's node: the first
// text piece reuses that node, which is removed when the text holds none.
struct Pieces {
    Pieces(const Markup& markup, pugi::xml_node node)
        : markup(markup), original(node), parent(node.parent()) {}

    // A new element named `name`, or new character data when `name` is null.
    pugi::xml_node place(const char* name) {
        const pugi::xml_node_type type = name ? pugi::node_element : pugi::node_pcdata;
        pugi::xml_node node = reused ? parent.insert_child_after(type, last)
                                     : parent.insert_child_before(type, original);
        if (name)
            node.set_name(name);
        return last = node;
    }
    void flush() {
        if (literal.isEmpty())
            return;
        pugi::xml_node node = reused ? place(markup.text) : original;
        reused = true;
        last = node;
        setText(node, literal);
        written.push_back(writtenPiece(SegmentKind::Text, node, static_cast<int>(literal.size())));
        literal.clear();
    }
    void spaces(int count) {
        flush();
        pugi::xml_node node = place(markup.spaces);
        if (count > 1)
            node.append_attribute(markup.spaceCount) = count;
        written.push_back(writtenPiece(SegmentKind::Spaces, node, count));
    }
    void element(const char* name) {
        flush();
        written.push_back(writtenPiece(SegmentKind::Removable, place(name), 1));
    }
    std::vector<Segment> finish() {
        flush();
        if (!reused)
            parent.remove_child(original);
        return std::move(written);
    }

    // Character data takes the text as it is; a text element keeps its edge spaces by
    // xml:space="preserve".
    static void setText(pugi::xml_node node, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        if (node.type() != pugi::node_element) {
            node.set_value(utf8.constData());
            return;
        }
        node.text().set(utf8.constData());
        if (isXmlSpace(text.front().unicode()) || isXmlSpace(text.back().unicode())) {
            pugi::xml_attribute space = node.attribute("xml:space");
            (space ? space : node.append_attribute("xml:space")) = "preserve";
        }
    }

    const Markup& markup;
    pugi::xml_node original;
    pugi::xml_node parent;
    pugi::xml_node last;
    bool reused = false;
    QString literal;
    std::vector<Segment> written;
};

} // namespace

std::vector<Segment> PiecePlacer::write(const Segment& segment, const QString& text,
                                        QChar previous) const {
    Pieces pieces(m_markup, segment.node);
    const auto special = [&](QChar c) {
        return c == mark::Tab || c == mark::LineBreak || (c == u' ' && m_markup.spaces);
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (!special(c)) {
            qsizetype end = i;
            while (end < text.size() && !special(text[end]))
                ++end;
            pieces.literal += QStringView(text).mid(i, end - i);
            i = end;
        } else if (c == u' ') {
            qsizetype end = i;
            while (end < text.size() && text[end] == u' ')
                ++end;
            int run = static_cast<int>(end - i);
            if (spaceMayStayLiteral(i > 0 ? text[i - 1] : previous, end == text.size())) {
                pieces.literal += u' ';
                --run;
            }
            if (run > 0)
                pieces.spaces(run);
            i = end;
        } else {
            pieces.element(c == mark::Tab ? m_markup.tab : m_markup.lineBreak);
            ++i;
        }
    }
    return pieces.finish();
}

pugi::xml_node PiecePlacer::newTextBefore(pugi::xml_node element) const {
    return Pieces(m_markup, element).place(m_markup.text);
}

// Character data that starts with white space collapses against what shows before it.
bool PiecePlacer::dependsOnPrevious(const Segment& segment) const {
    return !m_markup.text && isXmlSpace(static_cast<unsigned char>(*segment.node.value()));
}

} // namespace K7X_DoruVevuzu::documents
