// The recursive-descent parser of the formula language, from the loosest binding level down:
//   or      := and { (O | OR) and }
//   and     := not { (E | AND) not }
//   not     := (NON | NOT) not | compare
//   compare := sum [ (= | <> | < | <= | > | >=) sum ]       (one comparison, not a chain)
//   sum     := term { (+ | -) term }
//   term    := unary { (* | /) unary }
//   unary   := - unary | power
//   power   := primary { ^ unary }                            (right to left: 2^3^2 is 2^9)
//   primary := number | ( or ) | function ( [ argument { ; argument } ] )
#include "FormulaSyntax.h"

#include <array>
#include <initializer_list>

namespace K7XBO_Global::formula {

namespace {

enum class WordLevel { Or, And, Not };
struct WordOperator {
    const char* word;
    WordLevel level;
};
constexpr std::array<WordOperator, 6> kWords{{{"O", WordLevel::Or},
                                              {"OR", WordLevel::Or},
                                              {"E", WordLevel::And},
                                              {"AND", WordLevel::And},
                                              {"NON", WordLevel::Not},
                                              {"NOT", WordLevel::Not}}};

struct SyntaxError {
    QString message;
};

QString at(qsizetype position) {
    return QString::number(position + 1);
}

class Parser {
public:
    explicit Parser(QStringView source) : m_source(source), m_tokens(tokenize(source)) {}

    ParseResult run() {
        ParseResult result;
        try {
            if (peek().kind == TokenKind::End)
                throw SyntaxError{QStringLiteral("La formula è vuota.")};
            Node root = parseOr();
            if (peek().kind == TokenKind::Close)
                throw SyntaxError{QStringLiteral("Parentesi chiusa senza apertura alla posizione "
                                                 "%1.")
                                      .arg(at(peek().start))};
            if (peek().kind != TokenKind::End)
                unexpected(QStringLiteral("un operatore"));
            result.root = std::move(root);
            result.indices = std::move(m_indices);
        } catch (const SyntaxError& error) {
            result.error = error.message;
        }
        return result;
    }

private:
    using Operand = Node (Parser::*)();
    using OperatorTest = QString (Parser::*)() const; // the canonical operator, or ""

    // Increments the nesting level for one recursion, refusing to go deeper than allowed.
    struct Nesting {
        explicit Nesting(Parser& parser) : m_parser(parser) {
            if (++m_parser.m_depth > kMaxNesting)
                throw SyntaxError{QStringLiteral("La formula è annidata troppo in profondità "
                                                 "(più di %1 livelli) alla posizione %2.")
                                      .arg(kMaxNesting)
                                      .arg(at(m_parser.peek().start))};
        }
        ~Nesting() { --m_parser.m_depth; }
        Parser& m_parser;
    };

    const Token& peek() const { return m_tokens[m_next]; }
    const Token& take() { return m_tokens[m_next++]; }
    QStringView spelling(const Token& token) const {
        return m_source.mid(token.start, token.length);
    }

    QString word(WordLevel level) const {
        if (peek().kind != TokenKind::Name)
            return {};
        for (const WordOperator& op : kWords) {
            if (op.level == level &&
                spelling(peek()).compare(QLatin1StringView(op.word), Qt::CaseInsensitive) == 0)
                return QLatin1StringView(op.word);
        }
        return {};
    }
    bool isWord() const {
        return !word(WordLevel::Or).isEmpty() || !word(WordLevel::And).isEmpty() ||
               !word(WordLevel::Not).isEmpty();
    }
    QString orWord() const { return word(WordLevel::Or); }
    QString andWord() const { return word(WordLevel::And); }
    QString symbol(std::initializer_list<QStringView> choices) const {
        if (peek().kind != TokenKind::Operator)
            return {};
        const QStringView op = spelling(peek());
        for (QStringView choice : choices) {
            if (choice == op)
                return op.toString();
        }
        return {};
    }
    QString comparison() const { return symbol({u"=", u"<>", u"<", u"<=", u">", u">="}); }
    QString sumOperator() const { return symbol({u"+", u"-"}); }
    QString termOperator() const { return symbol({u"*", u"/"}); }
    QString powerOperator() const { return symbol({u"^"}); }

    // operand { operator operand }, one Chain node when there is an operator.
    Node chain(Operand operand, OperatorTest test, Operand next = nullptr) {
        Node first = (this->*operand)();
        QString op = (this->*test)();
        if (op.isEmpty())
            return first;
        Node node{Node::Kind::Chain, first.position, {}, {}, {}};
        node.children.push_back(std::move(first));
        for (; !op.isEmpty(); op = (this->*test)()) {
            take();
            node.ops.push_back(op);
            node.children.push_back((this->*(next ? next : operand))());
        }
        return node;
    }

    Node parseOr() { return chain(&Parser::parseAnd, &Parser::orWord); }
    Node parseAnd() { return chain(&Parser::parseNot, &Parser::andWord); }

    Node parseNot() {
        const QString op = word(WordLevel::Not);
        if (op.isEmpty())
            return parseCompare();
        Nesting nesting(*this);
        Node node{Node::Kind::Not, take().start, {}, {}, {op}};
        node.children.push_back(parseNot());
        return node;
    }

    Node parseCompare() {
        Node left = parseSum();
        const QString op = comparison();
        if (op.isEmpty())
            return left;
        Node node{Node::Kind::Chain, left.position, {}, {}, {op}};
        take();
        node.children.push_back(std::move(left));
        node.children.push_back(parseSum());
        if (!comparison().isEmpty())
            throw SyntaxError{QStringLiteral("Errore di sintassi alla posizione %1: due confronti "
                                             "di seguito; per unirli usare E oppure O.")
                                  .arg(at(peek().start))};
        return node;
    }

    Node parseSum() { return chain(&Parser::parseTerm, &Parser::sumOperator); }
    Node parseTerm() { return chain(&Parser::parseUnary, &Parser::termOperator); }

    Node parseUnary() {
        Nesting nesting(*this);
        if (symbol({u"-"}).isEmpty())
            return chain(&Parser::parsePrimary, &Parser::powerOperator, &Parser::parseUnary);
        Node node{Node::Kind::Negate, take().start, {}, {}, {}};
        node.children.push_back(parseUnary());
        return node;
    }

    Node parsePrimary() {
        const Token& token = peek();
        switch (token.kind) {
        case TokenKind::Number:
            take();
            return {Node::Kind::Number, token.start, spelling(token).toString(), {}, {}};
        case TokenKind::Open: {
            take();
            Node group{Node::Kind::Group, token.start, {}, {}, {}};
            group.children.push_back(parseOr());
            expectClose(token, QStringLiteral("un operatore o ')'"));
            return group;
        }
        case TokenKind::Name:
            return parseCall();
        case TokenKind::Text:
            throw SyntaxError{QStringLiteral("Il testo tra virgolette alla posizione %1 è ammesso "
                                             "solo come codice di Indice o Voce.")
                                  .arg(at(token.start))};
        case TokenKind::Invalid:
            invalid(token);
        default:
            unexpected(QStringLiteral("un valore"));
        }
    }

    Node parseCall() {
        const Token& name = take();
        const FunctionInfo* function = findFunction(spelling(name));
        if (peek().kind != TokenKind::Open) {
            if (!function) {
                --m_next;
                if (isWord())
                    unexpected(QStringLiteral("un valore"));
                throw SyntaxError{QStringLiteral("Nome sconosciuto '%1' alla posizione %2: un "
                                                 "codice si scrive come Indice(\"%1\") o "
                                                 "Voce(\"%1\").")
                                      .arg(spelling(name), at(name.start))};
            }
            throw SyntaxError{QStringLiteral("Dopo %1 alla posizione %2 manca '('.")
                                  .arg(QLatin1StringView(function->name), at(name.start))};
        }
        if (!function)
            throw SyntaxError{QStringLiteral("Funzione sconosciuta '%1' alla posizione %2.")
                                  .arg(spelling(name), at(name.start))};
        const Token& open = take();
        Node call{Node::Kind::Call, name.start, QLatin1StringView(function->name), {}, {}};
        if (peek().kind != TokenKind::Close) {
            call.children.push_back(parseArgument(*function, name));
            while (peek().kind == TokenKind::Separator) {
                take();
                call.children.push_back(parseArgument(*function, name));
            }
        }
        expectClose(open, QStringLiteral("';' o ')'"));
        checkArgumentCount(*function, name, int(call.children.size()));
        return call;
    }

    Node parseArgument(const FunctionInfo& function, const Token& name) {
        if (function.arguments == ArgumentKind::Number)
            return parseOr();
        const Token& token = peek();
        if (token.kind == TokenKind::Invalid)
            invalid(token);
        if (token.kind != TokenKind::Text)
            throw SyntaxError{QStringLiteral("%1 alla posizione %2 vuole il codice tra virgolette, "
                                             "per esempio %1(\"ROE\").")
                                  .arg(QLatin1StringView(function.name), at(name.start))};
        take();
        const QString code = textValue(m_source, token);
        if (code.isEmpty())
            throw SyntaxError{QStringLiteral("Il codice di %1 alla posizione %2 è vuoto.")
                                  .arg(QLatin1StringView(function.name), at(token.start))};
        if (QLatin1StringView(function.name) == QLatin1String("Indice"))
            m_indices.push_back({code, token.start});
        return {Node::Kind::Code, token.start, code, {}, {}};
    }

    void checkArgumentCount(const FunctionInfo& function, const Token& name, int count) const {
        const int most = function.maxArguments;
        if (count >= function.minArguments && (most < 0 || count <= most))
            return;
        const QString wanted =
            most == function.minArguments
                ? QStringLiteral("%1 %2").arg(most).arg(most == 1 ? QStringLiteral("argomento")
                                                                  : QStringLiteral("argomenti"))
            : most < 0
                ? QStringLiteral("almeno %1 argomenti").arg(function.minArguments)
                : QStringLiteral("da %1 a %2 argomenti").arg(function.minArguments).arg(most);
        throw SyntaxError{QStringLiteral("%1 alla posizione %2 vuole %3, non %4.")
                              .arg(QLatin1StringView(function.name), at(name.start), wanted)
                              .arg(count)};
    }

    void expectClose(const Token& open, const QString& expected) {
        if (peek().kind == TokenKind::Close) {
            take();
            return;
        }
        if (peek().kind == TokenKind::End)
            throw SyntaxError{QStringLiteral("La parentesi aperta alla posizione %1 non è chiusa.")
                                  .arg(at(open.start))};
        unexpected(expected);
    }

    [[noreturn]] void unexpected(const QString& expected) const {
        const Token& token = peek();
        if (token.kind == TokenKind::Invalid)
            invalid(token);
        if (token.kind == TokenKind::End)
            throw SyntaxError{QStringLiteral("La formula è incompleta: alla posizione %1 manca %2.")
                                  .arg(at(token.start), expected)};
        throw SyntaxError{QStringLiteral("Errore di sintassi alla posizione %1: atteso %2 invece "
                                         "di '%3'.")
                              .arg(at(token.start), expected, spelling(token))};
    }

    [[noreturn]] void invalid(const Token& token) const {
        const QChar first = m_source[token.start];
        if (first == u'"')
            throw SyntaxError{QStringLiteral("Virgolette aperte alla posizione %1 e mai chiuse.")
                                  .arg(at(token.start))};
        if (first == u'.' || first.isDigit())
            throw SyntaxError{QStringLiteral("Numero non valido '%1' alla posizione %2: i decimali "
                                             "si scrivono dopo il punto, come in 1.5.")
                                  .arg(spelling(token), at(token.start))};
        if (first == u',')
            throw SyntaxError{QStringLiteral("Carattere non valido ',' alla posizione %1: i "
                                             "decimali si scrivono col punto e gli argomenti si "
                                             "separano con ';'.")
                                  .arg(at(token.start))};
        throw SyntaxError{QStringLiteral("Carattere non valido '%1' alla posizione %2.")
                              .arg(spelling(token), at(token.start))};
    }

    QStringView m_source;
    std::vector<Token> m_tokens;
    std::size_t m_next = 0;
    int m_depth = 0;
    std::vector<Reference> m_indices;
};

} // namespace

ParseResult parseFormula(QStringView source) {
    return Parser(source).run();
}

} // namespace K7XBO_Global::formula
