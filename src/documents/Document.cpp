#include "documents/Document.h"

#include "documents/DocumentError.h"
#include "documents/FileIdentity.h"
#include "documents/Format.h"
#include "documents/NewPackage.h"
#include "documents/OwnerFiles.h"
#include "documents/Package.h"
#include "documents/SaveBatch.h"
#include "documents/Spares.h"
#include "documents/Story.h"
#include "documents/XmlPart.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace K7X_DoruVevuzu::documents {

struct Document::Impl {
    explicit Impl(const Place& place)
        : package(std::make_shared<Package>(place)), format(Format::detect(*package)),
          parts(*package) {}

    Stories& loadedStories() {
        if (stories.empty()) {
            try {
                format->loadStories(parts, stories);
            } catch (...) {
                stories.clear();
                throw;
            }
            numberStories();
        }
        return stories;
    }

    // Each story's number among the stories of its kind, from 1 in story order.
    void numberStories() {
        std::map<std::string_view, int> counts;
        numbers.clear();
        for (const auto& story : stories)
            numbers.push_back(++counts[story->kind()]);
    }

    std::shared_ptr<Package> package; // shared with a new file being written from it
    std::unique_ptr<Format> format;
    XmlParts parts;
    Stories stories;
    std::vector<int> numbers; // of the stories, by kind
    bool readOnly = false;
    bool changed = false;
    bool halfEdited = false; // an edit failed after it began: never saved
    FileIdentity identity;
};

Document::Document(Place place, std::unique_ptr<Impl> impl)
    : m_place(std::move(place)), m_path(m_place.path), d(std::move(impl)) {}

Document::~Document() = default;

std::unique_ptr<Document> Document::open(const Place& place) {
    const QString& path = place.path;
    auto impl = std::make_unique<Impl>(place);
    impl->identity = FileIdentity::of(impl->package->status()); // as opened: a later change shows
    const QString mainPart = impl->format->mainPart();
    if (!impl->package->contains(mainPart))
        unreadable(path, QStringLiteral("manca la parte principale '%1'").arg(mainPart));
    impl->readOnly = isHeldReadOnly(place);
    return std::unique_ptr<Document>(new Document(place, std::move(impl)));
}

const QString& Document::path() const {
    return m_path;
}
bool Document::readOnly() const {
    return impl().readOnly;
}
bool Document::changed() const {
    return impl().changed;
}
const FileIdentity& Document::identity() const {
    return impl().identity;
}

Document::Impl& Document::impl() const {
    if (!d)
        documentFailure(
            DocumentFault::Refused,
            QStringLiteral("Il documento '%1' è già stato chiuso.").arg(displayName(m_path)));
    return *d;
}

Story& Document::story(int index) {
    Stories& stories = impl().loadedStories();
    if (index < 0 || index >= static_cast<int>(stories.size()))
        documentFailure(DocumentFault::Refused,
                        QStringLiteral("Il documento '%1' non ha la sezione di testo %2.")
                            .arg(displayName(m_path))
                            .arg(index));
    return *stories[static_cast<std::size_t>(index)];
}

int Document::storyCount() {
    return static_cast<int>(impl().loadedStories().size());
}
int Document::storyLength(int index) {
    return story(index).length();
}

QString Document::storyName(int index) {
    const std::string_view kind = story(index).kind();
    const QString name = QString::fromLatin1(kind);
    if (kind != "header" && kind != "footer" && kind != "text box")
        return name;
    return name + u' ' + QString::number(impl().numbers[static_cast<std::size_t>(index)]);
}

std::optional<Range> Document::find(int index, const QString& text, int from) {
    const QString& shown = story(index).text();
    if (text.isEmpty() || from > shown.size())
        return std::nullopt;
    const qsizetype at = shown.indexOf(text, std::max(from, 0));
    if (at < 0)
        return std::nullopt;
    return Range{static_cast<int>(at), static_cast<int>(at + text.size())};
}

QString Document::text(int index, int from, int to) {
    const Story& chosen = story(index);
    if (from < 0 || to < from || to > chosen.length())
        documentFailure(DocumentFault::Refused,
                        QStringLiteral("Intervallo di testo non valido (%1-%2) nel documento "
                                       "'%3'.")
                            .arg(from)
                            .arg(to)
                            .arg(displayName(m_path)));
    return chosen.text().mid(from, to - from);
}

void Document::check(int index, const std::vector<Replacement>& edits, std::size_t* refused) {
    try {
        story(index).check(edits, refused);
    } catch (const RuntimeError& refused) {
        throw RuntimeError(refused.number(), refused.source(),
                           QStringLiteral("Impossibile modificare il documento '%1': %2")
                               .arg(displayName(m_path), refused.description()));
    }
}

void Document::replace(int index, const std::vector<Replacement>& edits) {
    check(index, edits);
    try {
        story(index).apply(edits);
    } catch (...) {
        impl().halfEdited = true;
        throw;
    }
    impl().changed = true;
}

void Document::save() {
    SaveBatch alone;
    save(alone);
    alone.commit();
    impl().identity = FileIdentity::of(m_path); // a later save replaces what this one wrote
}

void Document::save(SaveBatch& batch) {
    const std::unique_ptr<NewPackage> content = newContent();
    batch.add(
        m_place, [&content](int fd) { content->writeTo(fd); }, impl().identity);
    impl().changed = false;
}

std::unique_ptr<NewPackage> Document::newContent() {
    Impl& open = impl();
    if (open.halfEdited)
        notSaved(m_path, QStringLiteral("una modifica si è interrotta a metà"));
    if (isHeldReadOnly(m_place))
        notSaved(m_path, heldReadOnlyReason());
    std::map<QString, QByteArray> parts = open.parts.modifiedParts();
    auto content = std::make_unique<NewPackage>(open.package, parts);
    for (auto& part : parts) // deflated into the new package: their memory serves the next
        Spares<QByteArray>::give(std::move(part.second));
    return content;
}

void Document::close(bool saveChanges) {
    if (saveChanges && impl().changed)
        save();
    d.reset();
}

} // namespace K7X_DoruVevuzu::documents
