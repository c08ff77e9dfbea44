// The .docx package: where its stories live (main part, notes, comments, headers, footers and
// the text boxes in any of them), found through the package relationships.
#include "documents/WordprocessingML.h"
#include "documents/DocumentError.h"
#include "documents/Format.h"
#include "documents/Package.h"
#include "documents/XmlPart.h"

#include <QDir>

#include <algorithm>
#include <string_view>

namespace K7X_DoruVevuzu::documents {

namespace {

QString defaultMainPart() {
    return QStringLiteral("word/document.xml");
}

// The order in which the stories of the other parts follow the body.
const QStringList& storyPartTypes() {
    static const QStringList types{QStringLiteral("footnotes"), QStringLiteral("endnotes"),
                                   QStringLiteral("comments"), QStringLiteral("header"),
                                   QStringLiteral("footer")};
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

std::unique_ptr<Story> walkedStory(XmlPart& part, pugi::xml_node root, bool wholePart = false) {
    auto story = std::make_unique<Story>(part, wordprocessingEncoder());
    if (wholePart)
        story->reserveWholePart();
    walkWordprocessingStory(*story, root);
    return story;
}

bool insideFallback(pugi::xml_node node) {
    for (pugi::xml_node up = node.parent(); up; up = up.parent()) {
        if (std::string_view(up.name()) == "mc:Fallback")
            return true;
    }
    return false;
}

// The fallback copy of a text box drawn in mc:Choice: the text box at the same place in the
// sibling mc:Fallback, when both hold the same number of text boxes.
pugi::xml_node fallbackCopy(pugi::xml_node box) {
    pugi::xml_node choice = box.parent();
    while (choice && std::string_view(choice.name()) != "mc:Choice")
        choice = choice.parent();
    if (!choice)
        return {};
    const auto drawn = descendantsNamed(choice, "w:txbxContent");
    const auto fallback = descendantsNamed(choice.parent().child("mc:Fallback"), "w:txbxContent");
    const auto at = std::find(drawn.begin(), drawn.end(), box);
    if (drawn.size() != fallback.size() || at == drawn.end())
        return {};
    return fallback[static_cast<std::size_t>(at - drawn.begin())];
}

class WordprocessingFormat : public Format {
public:
    explicit WordprocessingFormat(QString mainPart) : m_mainPart(std::move(mainPart)) {}

    QString mainPart() const override { return m_mainPart; }

    void loadStories(XmlParts& parts, Stories& stories) const override {
        XmlPart& main = parts.part(m_mainPart);
        std::vector<XmlPart*> storyParts{&main};
        stories.push_back(walkedStory(main, main.root().child("w:body"), true));
        for (const Related& related : relatedParts(parts, m_mainPart, storyPartTypes())) {
            XmlPart& part = parts.part(related.part);
            storyParts.push_back(&part);
            stories.push_back(walkedStory(part, part.root(), true));
        }
        for (XmlPart* part : storyParts) {
            for (const pugi::xml_node box : descendantsNamed(part->root(), "w:txbxContent")) {
                if (insideFallback(box))
                    continue;
                auto story = walkedStory(*part, box);
                if (const pugi::xml_node copy = fallbackCopy(box))
                    story->setTwin(walkedStory(*part, copy));
                stories.push_back(std::move(story));
            }
        }
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
