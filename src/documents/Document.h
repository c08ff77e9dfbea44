// Document: a word-processing document (.docx or .odt) opened to find and replace text, the
// document engine behind the report document update.
//
// A document is made of stories, each a position space counted from 0: the body (tables
// included) first, then footnotes, endnotes, comments, each header and footer, each text box.
// A position is one UTF-16 unit of text, or one tab, line break, paragraph end ("\r"), cell
// end ("\a") or object; what shows no text takes no room (see WordprocessingML.h and
// OpenDocumentText.h for each format's rules). find() sees text split across runs, spans,
// proof marks and bookmarks as one. replace() gives the new text the formatting of the
// range's first run, empties the other runs of the range (keeping their other content) and
// refuses a range that would break the document.
//
// open() opens the file at its place (documents/Place.h: never through a link, a pipe or a
// device refused without blocking) and reads only the package's directory and checks the main part
// is there; a story's parts are parsed on first use, so many documents may be open at once cheaply.
// save() writes the changed parts, copies every other part byte for byte and replaces the file
// atomically; save(batch) stages the new file in a SaveBatch, which puts many documents in place
// with one flush to disk (see SaveBatch.h). The destructor closes without saving. Failures are
// RuntimeError (source "Documenti", numbers in DocumentError.h) with Italian descriptions naming
// the file. One thread.
#pragma once

#include "documents/Place.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace K7X_DoruVevuzu::documents {

class NewPackage;
class SaveBatch;
class Story;
struct FileIdentity;

struct Range {
    int start = 0;
    int end = 0; // one past the last position
    bool operator==(const Range&) const = default;
};

// One edit of a story: the text shown at [from, to) becomes `text`.
struct Replacement {
    int from = 0;
    int to = 0;
    QString text;
};

class Document {
public:
    static std::unique_ptr<Document> open(const Place& place);
    static std::unique_ptr<Document> open(const QString& path) { return open(Place::of(path)); }
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const QString& path() const;
    bool readOnly() const;
    const FileIdentity& identity() const; // the file as it was when opened

    int storyCount();
    int storyLength(int story);
    // The story as users name it: "body", "footnotes", "endnotes", "comments", and "header N",
    // "footer N", "text box N" counted from 1 in story order.
    QString storyName(int story);
    // The first occurrence of `text` starting at or after `from`, without wrapping around.
    std::optional<Range> find(int story, const QString& text, int from);
    QString text(int story, int from, int to);
    // A story's edits in order of position, none overlapping the next: all are checked before
    // any is made, and all cost one pass over the story. check() only refuses what replace()
    // would refuse (setting `refused`, when given, to the index of the edit refused); a failure
    // after replace() began (no memory) leaves the document unsavable.
    void check(int story, const std::vector<Replacement>& edits, std::size_t* refused = nullptr);
    void replace(int story, const std::vector<Replacement>& edits);
    void replace(int story, int from, int to, const QString& text) {
        replace(story, {{from, to, text}});
    }

    bool changed() const; // since opening or the last save
    void save();
    void save(SaveBatch& batch); // stages the new file: it is in place once the batch commits
    // The new file, checked whole and ready to be written (documents/NewPackage.h): the changed
    // parts written anew, every other part to be copied byte for byte. It keeps the package
    // open, so it may outlive the document. Refused as save() refuses.
    std::unique_ptr<NewPackage> newContent();
    void close(bool saveChanges); // frees everything; later calls fail

private:
    struct Impl;
    Document(Place place, std::unique_ptr<Impl> impl);
    Impl& impl() const; // the open document, or a RuntimeError once closed
    Story& story(int index);

    Place m_place;
    QString m_path;
    std::unique_ptr<Impl> d;
};

} // namespace K7X_DoruVevuzu::documents
