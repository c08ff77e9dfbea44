// Fuzzes the document engine as the update drives it: read, edit, save, read the same text again;
// only a RuntimeError may leave. Input: four choice bytes, then a package or XML parts to pack.
#include "FuzzSupport.h"
#include "documents/Document.h"
#include "documents/DocumentFixtures.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::documents::Document;

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    static const QTemporaryDir folder;
    const int mode = data[0] % 4; // a whole .docx, a whole .odt, .docx parts, .odt parts
    const QString path = folder.filePath(mode % 2 ? "fuzz.odt" : "fuzz.docx");
    const QStringList names =
        mode == 2 ? QStringList{"word/document.xml", "word/header1.xml", "word/footnotes.xml"}
                  : QStringList{"content.xml", "styles.xml"};
    const QByteArrayList xml = fuzz::pieces(data + 4, size - 4, mode < 2 ? 1 : names.size());
    Parts parts = formatParts(path);
    for (qsizetype i = 0; i < xml.size(); ++i)
        if (i == 0 || !xml[i].isEmpty()) // an empty optional part is left out
            parts.append({names[i], xml[i]});
    mode < 2 ? writeFile(path, xml[0]) : writePackage(path, parts);
    try {
        std::vector<QString> shown;
        {
            const auto document = Document::open(path);
            shown = stories(*document);
            if (!shown.empty()) { // the range the choice bytes name; a refused edit changes nothing
                QString& text = shown[data[1] % shown.size()];
                const int from = int(data[2] * text.size() / 255);
                const int to = std::min(int(text.size()), from + data[3] % 8);
                const QString with =
                    QString::fromUtf8(std::array{"", "x", "Indice(\"B2\")", "  due  spazi ",
                                                 "\ttab\vriga ", "è"}[data[3] / 8 % 6]);
                try {
                    document->replace(int(data[1] % shown.size()), from, to, with);
                    text.replace(from, to - from, with);
                } catch (const RuntimeError&) {
                }
            }
            fuzz::require(stories(*document) == shown, "the story does not read as edited");
            document->save();
        }
        fuzz::require(stories(*Document::open(path)) == shown, "the saved text differs");
    } catch (const RuntimeError&) {
    }
    QFile::remove(path);
    return 0;
}
