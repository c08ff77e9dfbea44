// The text box stories of a format's parts, each with its fallback copy as twin, found in one
// traversal of each part's tree.
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

// Finds the text boxes of a tree in one traversal, in document order. Text boxes are numbered in
// that order, so the text boxes of a block's choice and those of its fallback each take a range of
// numbers: a text box's twin is the one at the same place in the fallback's range as the text box
// in the range of its nearest choice, when both ranges hold as many. Text boxes inside a fallback
// are copies: they are no story of their own. An element is left when the traversal next reaches
// a node no deeper than it, or ends.
class TextBoxFinder : public pugi::xml_tree_walker {
public:
    explicit TextBoxFinder(const Markup& markup)
        : m_textBox(orEmpty(markup.textBox)), m_names(markup.alternatives),
          m_block(orEmpty(m_names.block)), m_choice(orEmpty(m_names.choice)),
          m_fallback(orEmpty(m_names.fallback)) {}

    bool for_each(pugi::xml_node& node) override {
        leaveFrom(depth());
        enter(node);
        return true;
    }
    bool end(pugi::xml_node&) override {
        leaveFrom(0);
        return true;
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
    // An element not left yet: its kind, its depth, and the block it is the first choice or
    // fallback of (-1 when none).
    enum class Kind : unsigned char { Block, Choice, Fallback };
    struct Open {
        Kind kind;
        int depth;
        int owner;
    };

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
            m_open.push_back({Kind::Block, depth(), -1});
        } else if (name == m_choice) {
            const int owner = top >= 0 && block(top).choice == node ? top : -1;
            if (owner >= 0)
                block(owner).choiceFrom = m_found.size();
            m_openChoices.push_back(owner);
            m_open.push_back({Kind::Choice, depth(), owner});
        } else if (name == m_fallback) {
            const int owner = top >= 0 && block(top).fallback == node ? top : -1;
            if (owner >= 0)
                block(owner).fallbackFrom = m_found.size();
            ++m_openFallbacks;
            m_open.push_back({Kind::Fallback, depth(), owner});
        }
    }

    // Leaves every open element at `depth` or deeper.
    void leaveFrom(int depth) {
        for (; !m_open.empty() && m_open.back().depth >= depth; m_open.pop_back()) {
            const Open& left = m_open.back();
            switch (left.kind) {
            case Kind::Block:
                m_openBlocks.pop_back();
                break;
            case Kind::Choice:
                if (left.owner >= 0)
                    block(left.owner).choiceTo = m_found.size();
                m_openChoices.pop_back();
                break;
            case Kind::Fallback:
                if (left.owner >= 0)
                    block(left.owner).fallbackTo = m_found.size();
                --m_openFallbacks;
                break;
            }
        }
    }

    static std::string_view orEmpty(const char* name) { return name ? name : ""; }
    Block& block(int index) { return m_blocks[static_cast<std::size_t>(index)]; }

    std::string_view m_textBox;
    decltype(Markup::alternatives) m_names;
    std::string_view m_block, m_choice, m_fallback;
    std::vector<Block> m_blocks;
    std::vector<Open> m_open;
    std::vector<int> m_openBlocks;
    std::vector<int> m_openChoices; // for each open choice: its block when its first, else -1
    int m_openFallbacks = 0;
    std::vector<Found> m_found;
};

} // namespace

void appendTextBoxStories(const std::vector<XmlPart*>& parts, const Markup& markup,
                          Stories& stories) {
    for (XmlPart* part : parts) {
        TextBoxFinder finder(markup);
        part->root().traverse(finder);
        for (const TextBox& box : finder.boxes()) {
            auto story = walkedStory(*part, markup, {box.node});
            story->setKind("text box");
            if (box.twin)
                story->setTwin(walkedStory(*part, markup, {box.twin}));
            stories.push_back(std::move(story));
        }
    }
}

} // namespace K7X_DoruVevuzu::documents
