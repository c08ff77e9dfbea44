// Story: one position space of a document (the body, a header, the footnotes, a text box...)
// with the index that maps each position to the XML node that shows it.
//
// A format's walker builds the story once, appending segments in reading order: text nodes,
// removable characters (tab, line break), runs of spaces, objects and paragraph or cell ends.
// Nodes of zero width (bookmarks, proof marks, properties, wrappers) get no segment. Every
// position belongs to exactly one segment, so a lookup is a binary search. Edits come all
// of a story's at once: check() checks every one, then apply() edits the nodes of each range and
// rebuilds the text and the index in one pass, so many edits cost no more than one; the text
// is never re-read from XML. A range that spans a paragraph or cell end, an object, or the
// limit of a field or of a tracked change, new text XML cannot hold, or a story grown past
// its part's text limit is refused by check() (RuntimeError, DocumentFault::Refused). Building
// refuses (DocumentFault::Unreadable) the stories of a part that unfold to more text than the
// part's limit: kTextPerXmlByte characters a byte of its XML and kTextAllowance besides,
// counted over all the part's stories.
// The story borrows its part and encoder from the document. One thread at a time.
#pragma once

#include "documents/Document.h"

#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <vector>

namespace K7X_DoruVevuzu::documents {

class XmlPart;

// The characters that stand for what is not plain text.
namespace mark {
inline constexpr char16_t ParagraphEnd = u'\r';
inline constexpr char16_t CellEnd = u'\a';
inline constexpr char16_t Object = u'\x01';
inline constexpr char16_t NoteReference = u'\x02';
inline constexpr char16_t LineBreak = u'\v';
inline constexpr char16_t PageBreak = u'\f';
inline constexpr char16_t Tab = u'\t';
} // namespace mark

enum class SegmentKind : unsigned char {
    Text,      // a text node: its content may change
    Removable, // an element standing for one character (tab, break): it may be removed
    Spaces,    // an element standing for a run of spaces (ODF text:s)
    Object,    // a picture, a note reference, a frame: never edited
    Boundary,  // a paragraph or cell end: never edited
};

// Where a character lives: a range is edited only within one scope.
struct Scope {
    const void* paragraph = nullptr;
    int field = 0;    // innermost field whose result shows the character, 0 when none
    int revision = 0; // tracked insertion holding the character, 0 when none
    bool operator==(const Scope&) const = default;
};

struct Segment {
    int start = 0;
    int length = 0;
    SegmentKind kind = SegmentKind::Text;
    pugi::xml_node node;
    Scope scope;
    int end() const { return start + length; }
};

// A piece written by an encoder: the story fills in its start and scope.
inline Segment writtenPiece(SegmentKind kind, pugi::xml_node node, int length) {
    Segment piece;
    piece.kind = kind;
    piece.node = node;
    piece.length = length;
    return piece;
}

// How a format writes text into its nodes.
class TextEncoder {
public:
    virtual ~TextEncoder() = default;
    // Makes `text` the content shown by the text segment `segment`, splitting it into the
    // format's elements where needed (tabs, line breaks, spaces); returns the segments that
    // now show it, in order (starts and scopes are filled in by the story). `previous` is the
    // character shown just before (0 at the start of the story).
    virtual std::vector<Segment> write(const Segment& segment, const QString& text,
                                       QChar previous) const = 0;
    // A new, empty text node placed just before `element`, in the same run or span.
    virtual pugi::xml_node newTextBefore(pugi::xml_node element) const = 0;
    // Whether a text segment's node depends on what precedes it (collapsed white space) and
    // must be written again when its neighbour changes.
    virtual bool dependsOnPrevious(const Segment&) const { return false; }
};

class Story {
public:
    // Real text takes a byte of XML or more a character; a text box's fallback copy, or an ODF
    // run of spaces, adds at most as much. A bomb unfolds further: 4,000 runs of 65,535 spaces
    // from 100 KB of XML.
    static constexpr qsizetype kTextPerXmlByte = 2;
    // Lets a small part hold a few long runs of spaces.
    static constexpr qsizetype kTextAllowance = 1 << 20;

    Story(XmlPart& part, const TextEncoder& encoder) : m_part(part), m_encoder(encoder) {}
    ~Story(); // gives its part back the text it counted
    Story(const Story&) = delete;
    Story& operator=(const Story&) = delete;

    // Building, in reading order.
    void append(SegmentKind kind, pugi::xml_node node, const QString& shown, const Scope& scope);
    void dropLastCharacter(); // the last appended character turned out not to show
    // Makes room at once for the text and index of a story that fills its part, so that building
    // it copies nothing (XmlPart::shownAtMost, XmlPart::nodeCount); the room it does not use costs
    // no memory until written.
    void reserveWholePart();
    // A second copy of this story (a text box's fallback) that every edit must follow.
    void setTwin(std::unique_ptr<Story> twin) { m_twin = std::move(twin); }
    // What the story is, as users name it: "body", "footnotes", "endnotes", "comments",
    // "header", "footer" or "text box".
    void setKind(const char* kind) { m_kind = kind; }
    const char* kind() const { return m_kind; }

    const QString& text() const { return m_text; }
    int length() const { return static_cast<int>(m_text.size()); }
    // `edits` in order of position, none overlapping the next. check() refuses what cannot be
    // made and changes nothing; apply() makes edits that passed check(): a failure inside it
    // (no memory) leaves the story half-edited, so its document must not be saved.
    // `refused`, when given, is set to the index of the edit a refusal is about.
    void check(const std::vector<Replacement>& edits, std::size_t* refused = nullptr) const;
    void apply(const std::vector<Replacement>& edits);

private:
    // Where an edit lands: its first and last segments, and the text segment taking its text
    // (`created`: a new text node before `first`, the range holding none).
    struct Landing {
        std::size_t first, last, target;
        bool created;
    };
    std::size_t segmentAt(int position) const;
    std::size_t insertionSegment(int position) const;
    void check(int from, int to) const;
    void checkAll(const std::vector<Replacement>& edits, std::size_t* refused) const;
    Landing land(const Replacement& edit);
    void edit(const std::vector<Replacement>& edits);
    qsizetype textLimit() const; // of the stories of its part, together

    XmlPart& m_part;
    const TextEncoder& m_encoder;
    QString m_text;
    std::vector<Segment> m_segments;
    std::unique_ptr<Story> m_twin;
    const char* m_kind = "body";
    qsizetype m_built = 0; // characters appended, counted in the part's storyText
};

} // namespace K7X_DoruVevuzu::documents
