// Fuzzes the document engine as the update drives it: read, edit up to three stories, check every
// story reads as edited, save, read the same text again; only a RuntimeError may leave. Input: a
// mode byte, three choice bytes an edit, then a package or XML parts to pack.
#include "FuzzSupport.h"
#include "documents/Document.h"
#include "documents/DocumentFixtures.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <algorithm>
#include <map>

using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::documents::Document;
using K7X_DoruVevuzu::documents::Replacement;

// Every story's text, with a find of a few strings from its middle checked against it.
static std::vector<QString> stories(Document& document) {
    std::vector<QString> shown;
    for (int story = 0; story < document.storyCount(); ++story) {
        const int length = document.storyLength(story);
        const QString& text = shown.emplace_back(document.text(story, 0, length));
        for (const QString needle : {"{{", "Indice", " ", "\r"}) {
            const auto found = document.find(story, needle, length / 2);
            const auto at = int(text.indexOf(needle, length / 2));
            fuzz::require(found ? found->start == at && found->end == at + needle.size() : at < 0,
                          "find disagrees with the story's text");
        }
    }
    return shown;
}

// The edits three choice bytes each name, by story in order of position as the update makes
// them: a story, a range of up to 7 positions of the text read first, one of a few texts.
static std::map<int, std::vector<Replacement>> edits(const std::uint8_t* choice, int count,
                                                     const std::vector<QString>& shown) {
    std::map<int, std::vector<Replacement>> byStory;
    for (; count > 0 && !shown.empty(); --count, choice += 3) {
        const int story = choice[0] % int(shown.size());
        const int size = int(shown[story].size());
        const int from = choice[1] * size / 255;
        byStory[story].push_back(
            {from, std::min(size, from + choice[2] % 8),
             QString::fromUtf8(std::array{"", "x", "Indice(\"B2\")", "  due  spazi ",
                                          "\ttab\vriga ", "è"}[choice[2] / 8 % 6])});
    }
    for (auto& [story, list] : byStory)
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.from < b.from; });
    return byStory;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int count =
        size ? 1 + data[0] / 4 % 3 : 0; // one edit, as the first inputs kept, to three
    if (size < 1 + 3 * std::size_t(count))
        return 0;
    static const QTemporaryDir folder;
    const int mode = data[0] % 4; // a whole .docx, a whole .odt, .docx parts, .odt parts
    const QString path = folder.filePath(mode % 2 ? "fuzz.odt" : "fuzz.docx");
    const QStringList names =
        mode == 2 ? QStringList{"word/document.xml", "word/header1.xml", "word/footnotes.xml",
                                "word/_rels/document.xml.rels"}
                  : QStringList{"content.xml", "styles.xml"};
    const QByteArrayList xml =
        fuzz::pieces(data + 1 + 3 * count, size - 1 - 3 * count, mode < 2 ? 1 : names.size());
    Parts parts = formatParts(path);
    for (qsizetype i = 0; i < xml.size(); ++i) {
        if (i > 0 && xml[i].isEmpty()) // an empty optional part is left out or keeps its default
            continue;
        parts.removeIf([&](const auto& part) { return part.first == names[i]; });
        parts.append({names[i], xml[i]});
    }
    mode < 2 ? writeFile(path, xml[0]) : writePackage(path, parts);
    try {
        std::vector<QString> shown;
        {
            const auto document = Document::open(path);
            shown = stories(*document);
            for (const auto& [story, list] : edits(data + 1, count, shown)) {
                try { // a refused edit changes nothing
                    document->replace(story, list);
                    for (auto edit = list.rbegin(); edit != list.rend(); ++edit)
                        shown[story].replace(edit->from, edit->to - edit->from, edit->text);
                } catch (const RuntimeError&) {
                }
                fuzz::require(stories(*document) == shown, "the stories do not read as edited");
            }
            document->save();
        }
        fuzz::require(stories(*Document::open(path)) == shown, "the saved text differs");
    } catch (const RuntimeError&) {
    }
    QFile::remove(path);
    return 0;
}
