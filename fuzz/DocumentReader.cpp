// Fuzzes the document engine as the report update drives it: open a .docx or .odt, read every
// story, replace a small range, save, reopen and read the very same text again. Only a
// RuntimeError may leave the engine. The input is four bytes (what to build, which story, where,
// what to write) then either a whole package or XML parts (cut at NUL bytes) that the harness
// zips into a minimal package, so that the walkers see what a zip mutation would rarely reach.
#include "FuzzSupport.h"
#include "documents/Document.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::documents::Document;
using K7X_DoruVevuzu::documents::Range;
using Parts = std::vector<std::pair<const char*, QByteArray>>;

enum Mode { DocxPackage, OdtPackage, DocxParts, OdtParts, ModeCount };

const char* const kReplacements[] = {"", "x", "Indice(\"B2\")", "  due  spazi ", "\ttab\vriga ",
                                     "è"};

const char* const kDocxParts[] = {"word/document.xml", "word/header1.xml", "word/footnotes.xml"};
const char* const kOdtParts[] = {"content.xml", "styles.xml"};

const QByteArray kContentTypes = R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/)"
                                 R"(content-types"><Default Extension="xml" )"
                                 R"(ContentType="application/xml"/></Types>)";
const QByteArray kDocumentRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
    R"(relationships/header" Target="header1.xml"/><Relationship Id="rId2" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes" )"
    R"(Target="footnotes.xml"/></Relationships>)";

// Writes a package of stored entries, in the order given.
void writePackage(const QString& path, const Parts& parts) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    fuzz::require(archive != nullptr, "the package cannot be created");
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name, source, 0);
        fuzz::require(index >= 0 && zip_set_file_compression(archive, index, ZIP_CM_STORE, 0) == 0,
                      "a part cannot be added to the package");
    }
    fuzz::require(zip_close(archive) == 0, "the package cannot be written");
}

void writeInput(const QString& path, Mode mode, const std::uint8_t* data, std::size_t size) {
    if (mode == DocxPackage || mode == OdtPackage) {
        QFile file(path);
        fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                          file.write(reinterpret_cast<const char*>(data),
                                     static_cast<qint64>(size)) == static_cast<qint64>(size),
                      "the package cannot be written");
        return;
    }
    const bool docx = mode == DocxParts;
    const std::size_t count = docx ? std::size(kDocxParts) : std::size(kOdtParts);
    const std::vector<QByteArray> xml = fuzz::pieces(data, size, count);
    Parts parts = docx ? Parts{{"[Content_Types].xml", kContentTypes},
                               {"word/_rels/document.xml.rels", kDocumentRelationships}}
                       : Parts{{"mimetype", "application/vnd.oasis.opendocument.text"}};
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0 || !xml[i].isEmpty())
            parts.emplace_back(docx ? kDocxParts[i] : kOdtParts[i], xml[i]);
    }
    writePackage(path, parts);
}

// Every story's text, with a find of a few strings checked against it.
std::vector<QString> stories(Document& document) {
    std::vector<QString> shown;
    for (int story = 0; story < document.storyCount(); ++story) {
        const int length = document.storyLength(story);
        shown.push_back(document.text(story, 0, length));
        for (const QString& needle : {QStringLiteral("{{"), QStringLiteral("Indice"),
                                      QStringLiteral(" "), QStringLiteral("\r")}) {
            const auto found = document.find(story, needle, length / 2);
            const auto at = static_cast<int>(shown.back().indexOf(needle, length / 2));
            fuzz::require(found ? *found == Range{at, at + static_cast<int>(needle.size())}
                                : at < 0,
                          "find disagrees with the story's text");
        }
    }
    return shown;
}

// Replaces the range the choice bytes name; a refused edit must leave the text as it was.
void edit(Document& document, std::vector<QString>& shown, const std::uint8_t* choice) {
    const std::size_t story = choice[0] % shown.size();
    QString& text = shown[story];
    const int from = static_cast<int>(choice[1] * text.size() / 255);
    const int to = std::min(static_cast<int>(text.size()), from + choice[2] % 8);
    const QString replacement =
        QString::fromUtf8(kReplacements[choice[2] / 8 % std::size(kReplacements)]);
    try {
        document.replace(static_cast<int>(story), from, to, replacement);
        text.replace(from, to - from, replacement);
    } catch (const RuntimeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 4;
    if (size < kHeader)
        return 0;
    static const QTemporaryDir folder;
    const auto mode = static_cast<Mode>(data[0] % ModeCount);
    const bool odt = mode == OdtPackage || mode == OdtParts;
    const QString path =
        folder.filePath(odt ? QStringLiteral("fuzz.odt") : QStringLiteral("fuzz.docx"));
    writeInput(path, mode, data + kHeader, size - kHeader);
    try {
        std::vector<QString> shown;
        {
            const auto document = Document::open(path);
            shown = stories(*document);
            if (!shown.empty())
                edit(*document, shown, data + 1);
            fuzz::require(stories(*document) == shown, "the story does not read as edited");
            document->save();
        }
        fuzz::require(stories(*Document::open(path)) == shown,
                      "the saved document reads otherwise");
    } catch (const RuntimeError&) {
    }
    QFile::remove(path);
    return 0;
}
