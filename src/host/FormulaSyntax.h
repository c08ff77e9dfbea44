// The formula language: tokens, the function table and the syntax tree, with the lexer and
// the parser that build them.
//
// Private to the host service. A formula is numbers ("." as decimal point), + - * / ^, unary
// minus, parentheses, comparisons (= <> < <= > >=), the logical words E, O, NON (also AND,
// OR, NOT) and calls of the functions in the table below; ";" separates arguments. Keywords
// ignore case. A text in double quotes (a quote inside written twice) is allowed only as the
// code argument of Indice and Voce. Positions are 0-based offsets here and 1-based in
// messages. tokenize() never fails (bad characters become Invalid tokens); parseFormula()
// never throws and stops at the first error, with nesting limited to kMaxNesting levels so
// that no input can exhaust the stack. Pure functions, safe on any thread.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <vector>

namespace K7XBO_Global::formula {

enum class TokenKind { Number, Text, Name, Operator, Open, Close, Separator, Invalid, End };

struct Token {
    TokenKind kind;
    qsizetype start;
    qsizetype length;
};

// The tokens of source, always ending with one End token at source.size().
std::vector<Token> tokenize(QStringView source);
// The value of a Text token: its characters between the quotes, a doubled quote read as one.
QString textValue(QStringView source, const Token& token);

enum class ArgumentKind { Number, Code };

struct FunctionInfo {
    const char* name; // the canonical spelling
    int minArguments;
    int maxArguments; // -1: no upper limit
    ArgumentKind arguments;
    const char* usage; // how a call is written, for the editor
    const char* help;  // one line of Italian help
};

std::span<const FunctionInfo> functions();
const FunctionInfo* findFunction(QStringView name); // ignoring case; nullptr when unknown

// One node of the syntax tree. Operator chains of equal precedence are one Chain node with
// operands in children and the operators in between in ops, so long sums stay shallow.
struct Node {
    enum class Kind { Number, Code, Call, Negate, Not, Chain, Group };
    Kind kind;
    qsizetype position;
    QString text; // Number: as written; Code: its value; Call: the function's canonical name
    std::vector<Node> children;
    std::vector<QString> ops; // Chain: canonical operators; Not: the word as written, upper case

    // Same tree, wherever it stands in the text.
    bool operator==(const Node& other) const {
        return kind == other.kind && text == other.text && ops == other.ops &&
               children == other.children;
    }
};

struct Reference {
    QString code;
    qsizetype position;
};

struct ParseResult {
    std::optional<Node> root;       // empty when the formula has an error
    QString error;                  // the Italian message, "" when root is set
    std::vector<Reference> indices; // the codes of Indice calls, in the order written
};

inline constexpr int kMaxNesting = 100;

ParseResult parseFormula(QStringView source);

// The canonical text of a tree: canonical spellings, one space around binary operators and
// after ";", none inside parentheses.
QString writeFormula(const Node& root);

} // namespace K7XBO_Global::formula
