// Fuzzes the formula language: the lexer covers the text with its tokens, the parser either
// builds a tree no deeper than the nesting limit or explains the error at a real position, and
// the canonical form (writeFormula, NormalizeFormula) parses back to the same tree.
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
    const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto& text = K7XBO_Global::CTextUtil::instance();
    // Tokens follow each other in order with only white space between them; one End closes them.
    const std::vector<formula::Token> tokens = formula::tokenize(source);
    qsizetype covered = 0;
    for (const formula::Token& token : tokens) {
        fuzz::require(token.start >= covered &&
                          source.mid(covered, token.start - covered).trimmed().isEmpty() &&
                          (token.kind == formula::TokenKind::End) == (token.length == 0),
                      "tokens overlap or skip a character, or an empty token or a long End");
        covered = token.start + token.length;
    }
    fuzz::require(tokens.back().kind == formula::TokenKind::End && covered == source.size(),
                  "the tokens do not end at the end of the text");
    const formula::ParseResult parsed = formula::parseFormula(source);
    const QString normalized = text.NormalizeFormula(source);
    if (!parsed.root) { // the first position the message names lies within the text or just after
        static const QRegularExpression position(QStringLiteral("posizione (\\d+)"));
        const QString at = position.match(parsed.error).captured(1);
        fuzz::require(
            !parsed.error.isEmpty() && normalized == source &&
                (at.isEmpty() || (at.toLongLong() >= 1 && at.toLongLong() <= source.size() + 1)),
            "a refusal without a message, rewritten or at a position outside");
        return 0;
    }
    const QString written = formula::writeFormula(*parsed.root);
    const formula::ParseResult again = formula::parseFormula(written);
    fuzz::require(parsed.error.isEmpty() && levels(*parsed.root) <= formula::kMaxNesting,
                  "a parsed formula carries an error or a tree deeper than the limit");
    fuzz::require(normalized == written, "NormalizeFormula differs from the written tree");
    fuzz::require(again.root && *again.root == *parsed.root &&
                      fuzz::codes(again) == fuzz::codes(parsed),
                  "the canonical form reads otherwise");
    for (const formula::Reference& reference : parsed.indices)
        fuzz::require(source.mid(reference.position).startsWith(text.FormulaQuote(reference.code)),
                      "a reference's position does not point at its code");
    return 0;
}
