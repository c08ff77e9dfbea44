// The text box stories of a format's parts, each with its fallback copy as twin, found in one
// walk of each part's tree.
#include "documents/Markup.h"
#include "documents/XmlPart.h"

#include <string_view>
#include <vector>

namespace K7X_DoruVevuzu::documents {

namespace {

// A text box of a part and its fallback copy, if it has one.
struct TextBox {
    pugi::xml_node node, twin;
};

// Finds the text boxes of a tree as it is walked, entering and leaving each node in document
// order. Text boxes are numbered in that order, so the text boxes of a block's choice and those of
// its fallback each take a range of numbers: a text box's twin is the one at the same place in
// the fallback's range as the text box in the range of its nearest choice, when both ranges hold
// as many. Text boxes inside a fallback are copies: they are no story of their own.
class TextBoxFinder {
public:
    explicit TextBoxFinder(const Markup& markup)
        : m_textBox(orEmpty(markup.textBox)), m_names(markup.alternatives),
          m_block(orEmpty(m_names.block)), m_choice(orEmpty(m_names.choice)),
          m_fallback(orEmpty(m_names.fallback)) {}

    void enter(pugi::xml_node node) {
        const std::string_view name = node.name();
        if (name.empty())
            return;
        const int top = m_openBlocks.empty() ? -1 : m_openBlocks.back();
        if (name == m_textBox) {
            m_found.push_back(
                {node, m_openChoices.empty() ? -1 : m_openChoices.back(), m_openFallbacks > 0});
        } else if (name == m_block) {
            m_openBlocks.push_back(static_cast<int>(m_blocks.size()));
            m_blocks.push_back({node.child(m_names.choice), node.child(m_names.fallback)});
        } else if (name == m_choice) {
            const bool first = top >= 0 && block(top).choice == node;
            m_openChoices.push_back(first ? top : -1);
            if (first)
                block(top).choiceFrom = m_found.size();
        } else if (name == m_fallback) {
            ++m_openFallbacks;
            if (top >= 0 && block(top).fallback == node)
                block(top).fallbackFrom = m_found.size();
        }
    }

    void leave(pugi::xml_node node) {
        const std::string_view name = node.name();
        if (name.empty() || name == m_textBox) {
            return;
        } else if (name == m_block) {
            m_openBlocks.pop_back();
        } else if (name == m_choice) {
            if (m_openChoices.back() >= 0)
                block(m_openChoices.back()).choiceTo = m_found.size();
            m_openChoices.pop_back();
        } else if (name == m_fallback) {
            --m_openFallbacks;
            if (!m_openBlocks.empty() && block(m_openBlocks.back()).fallback == node)
                block(m_openBlocks.back()).fallbackTo = m_found.size();
        }
    }

    // The text boxes found that are no copies, in document order, with their twins.
    std::vector<TextBox> boxes() const {
        std::vector<TextBox> boxes;
        for (std::size_t k = 0; k < m_found.size(); ++k) {
            const Found& found = m_found[k];
            if (found.inFallback)
                continue;
            TextBox& box = boxes.emplace_back(TextBox{found.node, {}});
            if (found.block < 0)
                continue;
            const Block& owner = m_blocks[static_cast<std::size_t>(found.block)];
            if (owner.choiceTo - owner.choiceFrom == owner.fallbackTo - owner.fallbackFrom)
                box.twin = m_found[owner.fallbackFrom + k - owner.choiceFrom].node;
        }
        return boxes;
    }

private:
    // An alternatives block: its first choice and first fallback, and the ranges of text box
    // numbers each holds.
    struct Block {
        pugi::xml_node choice, fallback;
        std::size_t choiceFrom = 0, choiceTo = 0, fallbackFrom = 0, fallbackTo = 0;
    };
    struct Found {
        pugi::xml_node node;
        int block;       // the block whose first choice is the nearest choice around it, or -1
        bool inFallback; // a copy
    };
    static std::string_view orEmpty(const char* name) { return name ? name : ""; }
    Block& block(int index) { return m_blocks[static_cast<std::size_t>(index)]; }

    std::string_view m_textBox;
    decltype(Markup::alternatives) m_names;
    std::string_view m_block, m_choice, m_fallback;
    std::vector<Block> m_blocks;
    std::vector<int> m_openBlocks;
    std::vector<int> m_openChoices; // for each open choice: its block when its first, else -1
    int m_openFallbacks = 0;
    std::vector<Found> m_found;
};

// The text boxes below `root`, walked once without recursion.
std::vector<TextBox> textBoxesIn(pugi::xml_node root, const Markup& markup) {
    TextBoxFinder finder(markup);
    for (pugi::xml_node node = root.first_child(); node;) {
        finder.enter(node);
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        for (;;) {
            finder.leave(node);
            if (const pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
            if (node == root) {
                node = pugi::xml_node();
                break;
            }
        }
    }
    return finder.boxes();
}

} // namespace

void appendTextBoxStories(const std::vector<XmlPart*>& parts, const Markup& markup,
                          Stories& stories) {
    for (XmlPart* part : parts) {
        for (const TextBox& box : textBoxesIn(part->root(), markup)) {
            auto story = walkedStory(*part, markup, {box.node});
            story->setKind("text box");
            if (box.twin)
                story->setTwin(walkedStory(*part, markup, {box.twin}));
            stories.push_back(std::move(story));
        }
    }
}

} // namespace K7X_DoruVevuzu::documents
