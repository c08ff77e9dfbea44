// Markup: one text format's table of elements, the data that the shared story walker reads a
// story by and the shared piece placer writes new text by. Each format (WordprocessingML.cpp,
// OpenDocumentText.cpp) fills one table and keeps only what is truly its own: where its stories
// live in the package, and the few rules a name alone cannot say (a hidden paragraph mark).
//
// The walker gives every character its scope (paragraph, field, tracked insertion) and keeps
// field instructions out of the text. Text lives either in text elements, whose outer white
// space counts only with xml:space="preserve", or, when the table names no text element, in
// the paragraphs' character data, whose white space collapses as a reader shows it (see
// OpenDocumentText.h). The walker may remove character data that shows nothing; a run of spaces
// over its limit ends in a RuntimeError (DocumentFault::Unreadable). It recurses once a level of
// the tree, which XmlPart bounds. Tables are static and shared; they hold no document state.
#pragma once

#include "documents/Format.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace K7X_DoruVevuzu::documents {

struct Markup;

// What an element is to a story.
enum class Role : unsigned char {
    Descend,        // a container or wrapper: its content is read, it takes no room
    Skip,           // shows nothing here (properties, deleted text, a story of its own...)
    Paragraph,      // its content, then a paragraph end
    Cell,           // its content, then a cell end
    Text,           // a text element: its text shows
    Character,      // one removable character (`shown`)
    Break,          // a line break, or a page break when its type says so
    Spaces,         // a run of spaces, as many as its count
    Object,         // one object character (`shown`), never edited
    FieldMark,      // begins a field, separates its instructions from its result, or ends it
    Field,          // a field showing its content, its own scope
    Inserted,       // a tracked insertion holding its content, its own scope
    InsertionStart, // a tracked insertion runs from here...
    InsertionEnd,   // ...to here
    Alternatives,   // alternative contents: the choice shows, else the fallback
};

struct ElementRule {
    Role role;
    char16_t shown = 0;
};

// A row of a format's table: one rule and the element names it holds for.
struct ElementRow {
    ElementRule rule;
    std::initializer_list<std::string_view> names;
};
using ElementTable = std::unordered_map<std::string_view, ElementRule>;
ElementTable elementTable(std::initializer_list<ElementRow> rows);

// A rule for names the table does not hold: it applies to names with this prefix and suffix,
// with one role inside a paragraph and another elsewhere.
struct NamePattern {
    std::string_view prefix, suffix;
    Role inParagraph, elsewhere;
    char16_t shown = 0;
};

// Whether XML counts `c` as white space.
inline bool isXmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Writes new text into a text segment by the table's element names: text pieces (the first
// one reusing the segment's node), tabs, line breaks, and runs of spaces where they would
// collapse (a single space after a shown character stays literal).
class PiecePlacer final : public TextEncoder {
public:
    explicit PiecePlacer(const Markup& markup) : m_markup(markup) {}
    std::vector<Segment> write(const Segment& segment, const QString& text,
                               QChar previous) const override;
    pugi::xml_node newTextBefore(pugi::xml_node element) const override;
    bool dependsOnPrevious(const Segment& segment) const override;

private:
    const Markup& m_markup;
};

struct Markup {
    ElementTable elements;
    std::vector<NamePattern> patterns; // the first that fits; names no rule fits are Descend
    const char* text = nullptr; // the text element; none: text is the paragraphs' character data
    const char* tab = nullptr;  // the element written for a tab
    const char* lineBreak = nullptr;     // the element written for a line break
    const char* spaces = nullptr;        // the element written for a run of spaces, if any
    const char* spaceCount = nullptr;    // its attribute: how many spaces (1 when missing)
    const char* breakType = nullptr;     // a Break's attribute: "page" makes it a page break
    const char* fieldMarkType = nullptr; // a FieldMark's attribute: "begin", "separate", "end"
    struct {
        const char *block, *choice, *fallback;
    } alternatives{};              // an Alternatives element and its two children
    const char* textBox = nullptr; // the element holding a text box: each is its own story
    bool (*paragraphEndHidden)(pugi::xml_node paragraph) = nullptr; // a deleted paragraph mark
    PiecePlacer placer{*this};                                      // writes by this table

    ElementRule ruleOf(std::string_view name, bool inParagraph) const;
};

// A story showing `roots` of `part` one after another; `wholePart`: it fills its part.
std::unique_ptr<Story> walkedStory(XmlPart& part, const Markup& markup,
                                   const std::vector<pugi::xml_node>& roots,
                                   bool wholePart = false);
// Appends a story for each text box in `parts`, in order, each with its fallback copy as twin
// (the text box at the same place of the fallback, when both hold as many text boxes); one walk
// of each part (TextBoxes.cpp).
void appendTextBoxStories(const std::vector<XmlPart*>& parts, const Markup& markup,
                          Stories& stories);

} // namespace K7X_DoruVevuzu::documents
