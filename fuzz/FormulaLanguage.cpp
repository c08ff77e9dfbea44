// Fuzzes the formula language: tokens cover the text, a tree stays within the nesting limit or
// the error names a real position, and the canonical form parses back to the same tree.
#include "FuzzSupport.h"

#include <K7XBO_Global/CTextUtil.h>

#include <QRegularExpression>

namespace formula = K7XBO_Global::formula;
using Kind = formula::Node::Kind;

// The parser's nesting levels a tree needs: one for each operand, one more below each
// parenthesis, call, sign, NON and the right operand of ^; a code is read at its call's level.
static int levels(const formula::Node& node) {
    int deepest = node.kind == Kind::Code ? 0 : 1;
    for (std::size_t i = 0; deepest && i < node.children.size(); ++i)
        deepest = std::max(deepest, levels(node.children[i]) + (node.kind != Kind::Chain ||
                                                                (node.ops[0] == u"^" && i == 1)));
    return deepest;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString source = QString::fromUtf8(fuzz::pieces(data, size, 1)[0]);
    const auto& text = K7XBO_Global::CTextUtil::instance();
    qsizetype covered = 0; // tokens in order, white space between them, one End closing them
    for (const formula::Token& token : formula::tokenize(source)) {
        fuzz::require(covered >= 0 && token.start >= covered &&
                          source.mid(covered, token.start - covered).trimmed().isEmpty() &&
                          (token.kind == formula::TokenKind::End) ==
                              (token.length == 0 && token.start == source.size()),
                      "tokens overlap, skip a character or end elsewhere");
        covered = token.kind == formula::TokenKind::End ? -1 : token.start + token.length;
    }
    fuzz::require(covered == -1, "no End closes the tokens");
    const formula::ParseResult parsed = formula::parseFormula(source);
    const QString normalized = text.NormalizeFormula(source);
    if (!parsed.root) { // the first position the message names lies within the text or just after
        const QString at = QRegularExpression("posizione (\\d+)").match(parsed.error).captured(1);
        fuzz::require(
            !parsed.error.isEmpty() && normalized == source &&
                (at.isEmpty() || (at.toLongLong() >= 1 && at.toLongLong() <= source.size() + 1)),
            "a refusal without a message, rewritten or at a position outside");
        return 0;
    }
    const QString written = formula::writeFormula(*parsed.root);
    const formula::ParseResult again = formula::parseFormula(written);
    fuzz::require(parsed.error.isEmpty() && levels(*parsed.root) <= formula::kMaxNesting &&
                      normalized == written && again.root && *again.root == *parsed.root &&
                      fuzz::codes(again) == fuzz::codes(parsed),
                  "a tree too deep or with an error, or a canonical form that reads otherwise");
    for (const formula::Reference& reference : parsed.indices)
        fuzz::require(source.mid(reference.position).startsWith(text.FormulaQuote(reference.code)),
                      "a reference's position does not point at its code");
    return 0;
}
