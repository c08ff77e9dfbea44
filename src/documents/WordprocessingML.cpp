// The .docx format: its table of elements, and where its stories live (main part, notes,
// comments, headers, footers and the text boxes in any of them), found through the package
// relationships.
#include "documents/WordprocessingML.h"
#include "documents/DocumentError.h"
#include "documents/Markup.h"
#include "documents/Package.h"
#include "documents/XmlPart.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

namespace K7X_DoruVevuzu::documents {

namespace {

QString defaultMainPart() {
    return QStringLiteral("word/document.xml");
}

// The order in which the stories of the other parts follow the body: their relationship types,
// which are also the stories' kinds.
constexpr std::array<const char*, 5> kStoryPartKinds{"footnotes", "endnotes", "comments", "header",
                                                     "footer"};

const QStringList& storyPartTypes() {
    static const QStringList types = [] {
        QStringList kinds;
        for (const char* kind : kStoryPartKinds)
            kinds << QString::fromLatin1(kind);
        return kinds;
    }();
    return types;
}

QString folderOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relationshipsOf(const QString& part) {
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(folderOf(part).size()) +
           QStringLiteral(".rels");
}

QString resolveTarget(const QString& folder, const QString& target) {
    const QString joined = target.startsWith(u'/') ? target.mid(1) : folder + target;
    return QDir::cleanPath(joined);
}

struct Related {
    qsizetype order;
    QString part;
};

// The parts related to `source` whose type (the last word of the relationship type) is one
// of `types`, in the order of `types`, then by name.
std::vector<Related> relatedParts(XmlParts& parts, const QString& source,
                                  const QStringList& types) {
    std::vector<Related> found;
    const QString relationships = relationshipsOf(source);
    if (!parts.contains(relationships))
        return found;
    for (const pugi::xml_node relation : parts.part(relationships).root().children()) {
        const QString type = QString::fromUtf8(relation.attribute("Type").value());
        const qsizetype order = types.indexOf(type.mid(type.lastIndexOf(u'/') + 1));
        if (order < 0 || std::string_view(relation.attribute("TargetMode").value()) == "External")
            continue;
        const QString part = resolveTarget(folderOf(source),
                                           QString::fromUtf8(relation.attribute("Target").value()));
        if (!part.startsWith(QStringLiteral("..")) && parts.contains(part))
            found.push_back({order, part});
    }
    std::sort(found.begin(), found.end(), [](const Related& a, const Related& b) {
        return a.order != b.order ? a.order < b.order : a.part < b.part;
    });
    return found;
}

bool paragraphMarkDeleted(pugi::xml_node paragraph) {
    const pugi::xml_node markProperties = paragraph.child("w:pPr").child("w:rPr");
    return markProperties.child("w:del") || markProperties.child("w:moveFrom");
}

const Markup& markup() {
    static const Markup table{
        .elements = elementTable({
            {{Role::Paragraph}, {"w:p"}},
            {{Role::Cell}, {"w:tc"}},
            {{Role::Text}, {"w:t"}},
            {{Role::Character, mark::Tab}, {"w:tab", "w:ptab"}},
            {{Role::Character, mark::LineBreak}, {"w:cr"}},
            {{Role::Character, u'\u2011'}, {"w:noBreakHyphen"}},
            {{Role::Character, u'\u00AD'}, {"w:softHyphen"}},
            {{Role::Break}, {"w:br"}},
            {{Role::Object, mark::Object},
             {"w:drawing", "w:pict", "w:object", "w:control", "w:sym", "w:pgNum", "w:separator",
              "w:continuationSeparator"}},
            {{Role::Object, mark::NoteReference},
             {"w:footnoteReference", "w:endnoteReference", "w:footnoteRef", "w:endnoteRef"}},
            {{Role::FieldMark}, {"w:fldChar"}},
            {{Role::Field}, {"w:fldSimple"}},
            {{Role::Inserted}, {"w:ins", "w:moveTo"}},
            // Deleted text, field instructions, text boxes (stories of their own), fallbacks.
            {{Role::Skip},
             {"w:del", "w:moveFrom", "w:delText", "w:instrText", "w:delInstrText", "w:txbxContent",
              "mc:Fallback"}},
            {{Role::Alternatives}, {"mc:AlternateContent"}},
        }),
        // Properties (w:rPr, w:pPr, w:sectPr, w:sdtPr...) hold no text of the story.
        .patterns = {{"", "Pr", Role::Skip, Role::Skip}},
        .text = "w:t",
        .tab = "w:tab",
        .lineBreak = "w:br",
        .breakType = "w:type",
        .fieldMarkType = "w:fldCharType",
        .alternatives = {"mc:AlternateContent", "mc:Choice", "mc:Fallback"},
        .textBox = "w:txbxContent",
        .paragraphEndHidden = paragraphMarkDeleted,
    };
    return table;
}

class WordprocessingFormat : public Format {
public:
    explicit WordprocessingFormat(QString mainPart) : m_mainPart(std::move(mainPart)) {}

    QString mainPart() const override { return m_mainPart; }

    // A part is a story once: a part reached again, or the main part named as another story,
    // is passed over.
    void loadStories(XmlParts& parts, Stories& stories) const override {
        XmlPart& main = parts.part(m_mainPart);
        std::vector<XmlPart*> storyParts{&main};
        std::set<QString> seen{m_mainPart};
        stories.push_back(walkedStory(main, markup(), {main.root().child("w:body")}, true));
        for (const Related& related : relatedParts(parts, m_mainPart, storyPartTypes())) {
            if (!seen.insert(related.part).second)
                continue;
            XmlPart& part = parts.part(related.part);
            storyParts.push_back(&part);
            stories.push_back(walkedStory(part, markup(), {part.root()}, true));
            stories.back()->setKind(kStoryPartKinds[static_cast<std::size_t>(related.order)]);
        }
        appendTextBoxStories(storyParts, markup(), stories);
    }

private:
    QString m_mainPart;
};

// The main part named by the package's own relationships ("officeDocument").
QString mainPartOf(const Package& package) {
    const QString relationships = QStringLiteral("_rels/.rels");
    if (!package.contains(relationships))
        return defaultMainPart();
    const XmlPart rels(relationships, package.read(relationships), package.path());
    for (const pugi::xml_node relation : rels.root().children()) {
        if (std::string_view(relation.attribute("Type").value()).ends_with("/officeDocument"))
            return resolveTarget(QString(),
                                 QString::fromUtf8(relation.attribute("Target").value()));
    }
    return defaultMainPart();
}

} // namespace

std::unique_ptr<Format> wordprocessingFormat(const Package& package) {
    return std::make_unique<WordprocessingFormat>(mainPartOf(package));
}

} // namespace K7X_DoruVevuzu::documents
