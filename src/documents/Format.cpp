#include "documents/Format.h"

#include "documents/DocumentError.h"
#include "documents/OpenDocumentText.h"
#include "documents/Package.h"
#include "documents/WordprocessingML.h"

#include <string_view>

namespace K7X_DoruVevuzu::documents {

namespace {

bool isOpenDocumentText(const Package& package) {
    if (!package.contains(QStringLiteral("mimetype")))
        return false;
    const QByteArray type = package.read(QStringLiteral("mimetype")).trimmed();
    return type == "application/vnd.oasis.opendocument.text" ||
           type == "application/vnd.oasis.opendocument.text-template";
}

} // namespace

std::unique_ptr<Format> Format::detect(const Package& package) {
    if (isOpenDocumentText(package))
        return openDocumentTextFormat();
    if (package.contains(QStringLiteral("[Content_Types].xml")))
        return wordprocessingFormat(package);
    unreadable(package.path(), QStringLiteral("non è un documento di testo .docx o .odt"));
}

std::vector<pugi::xml_node> descendantsNamed(pugi::xml_node parent, const char* name) {
    struct Collector : pugi::xml_tree_walker {
        std::string_view wanted;
        std::vector<pugi::xml_node> found;
        bool for_each(pugi::xml_node& node) override {
            if (node.name() == wanted)
                found.push_back(node);
            return true;
        }
    } collector;
    collector.wanted = name;
    parent.traverse(collector);
    return std::move(collector.found);
}

} // namespace K7X_DoruVevuzu::documents
