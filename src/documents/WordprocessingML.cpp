// The .docx package: where its stories live (main part, notes, comments, headers, footers and
// the text boxes in any of them), found through the package relationships.
#include "documents/WordprocessingML.h"
#include "documents/DocumentError.h"
#include "documents/Format.h"
#include "documents/Package.h"
#include "documents/XmlPart.h"

#include <QDir>

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>

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

// The nearest ancestor of `node` named `name`, or a null node.
pugi::xml_node ancestorNamed(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_node up = node.parent(); up; up = up.parent()) {
        if (up.name() == name)
            return up;
    }
    return {};
}

// The fallback copy of each text box drawn in an mc:Choice: the text box at the same place in
// the sibling mc:Fallback, when both hold the same number of text boxes. One pass a block.
std::unordered_map<const void*, pugi::xml_node> fallbackCopies(pugi::xml_node root) {
    std::unordered_map<const void*, pugi::xml_node> copies;
    for (const pugi::xml_node block : descendantsNamed(root, "mc:AlternateContent")) {
        const pugi::xml_node choice = block.child("mc:Choice");
        const auto drawn = descendantsNamed(choice, "w:txbxContent");
        const auto fallback = descendantsNamed(block.child("mc:Fallback"), "w:txbxContent");
        for (std::size_t k = 0; k < drawn.size() && drawn.size() == fallback.size(); ++k) {
            if (ancestorNamed(drawn[k], "mc:Choice") == choice)
                copies.emplace(drawn[k].internal_object(), fallback[k]);
        }
    }
    return copies;
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
        stories.push_back(walkedStory(main, main.root().child("w:body"), true));
        for (const Related& related : relatedParts(parts, m_mainPart, storyPartTypes())) {
            if (!seen.insert(related.part).second)
                continue;
            XmlPart& part = parts.part(related.part);
            storyParts.push_back(&part);
            stories.push_back(walkedStory(part, part.root(), true));
        }
        for (XmlPart* part : storyParts) {
            const auto copies = fallbackCopies(part->root());
            for (const pugi::xml_node box : descendantsNamed(part->root(), "w:txbxContent")) {
                if (ancestorNamed(box, "mc:Fallback"))
                    continue;
                auto story = walkedStory(*part, box);
                if (const auto copy = copies.find(box.internal_object()); copy != copies.end())
                    story->setTwin(walkedStory(*part, copy->second));
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
