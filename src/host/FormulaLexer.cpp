// The formula language's tokens and its function table.
#include "FormulaSyntax.h"

#include <algorithm>
#include <array>

namespace K7XBO_Global::formula {

namespace {

constexpr std::array<FunctionInfo, 7> kFunctions{{
    {"Indice", 1, 1, ArgumentKind::Code, "Indice(\"CODICE\")",
     "Il valore di un altro indice dello stesso modello."},
    {"Voce", 1, 1, ArgumentKind::Code, "Voce(\"CODICE\")", "Un valore dei dati del modello."},
    {"ABS", 1, 1, ArgumentKind::Number, "ABS(x)", "Il valore assoluto di x."},
    {"MIN", 2, -1, ArgumentKind::Number, "MIN(x; y; ...)", "Il più piccolo dei valori dati."},
    {"MAX", 2, -1, ArgumentKind::Number, "MAX(x; y; ...)", "Il più grande dei valori dati."},
    {"ARROTONDA", 1, 2, ArgumentKind::Number, "ARROTONDA(x; decimali)",
     "x arrotondato al numero di decimali indicato (nessun decimale se omesso)."},
    {"SE", 3, 3, ArgumentKind::Number, "SE(condizione; allora; altrimenti)",
     "Vale allora se la condizione è vera (diversa da 0), altrimenti vale altrimenti."},
}};

bool isNameStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Digits, optionally a point and more digits: the only number form of the language.
bool isWellFormedNumber(QStringView run) {
    const qsizetype point = run.indexOf(u'.');
    const auto allDigits = [](QStringView part) {
        return !part.isEmpty() && std::all_of(part.begin(), part.end(), isDigit);
    };
    return point < 0 ? allDigits(run) : allDigits(run.left(point)) && allDigits(run.mid(point + 1));
}

// The length of the text token starting at a quote, or -1 when its closing quote is missing.
qsizetype textLength(QStringView source, qsizetype start) {
    for (qsizetype i = start + 1; i < source.size(); ++i) {
        if (source[i] != u'"')
            continue;
        if (i + 1 < source.size() && source[i + 1] == u'"')
            ++i;
        else
            return i + 1 - start;
    }
    return -1;
}

} // namespace

std::vector<Token> tokenize(QStringView source) {
    std::vector<Token> tokens;
    const qsizetype size = source.size();
    const auto runWhile = [&](qsizetype from, auto predicate) {
        while (from < size && predicate(source[from]))
            ++from;
        return from;
    };
    for (qsizetype i = runWhile(0, [](QChar c) { return c.isSpace(); }); i < size;
         i = runWhile(
             i, [](QChar c) { return c.isSpace(); })) {
        const QChar c = source[i];
        const QChar next = i + 1 < size ? source[i + 1] : QChar();
        Token token{TokenKind::Operator, i, 1};
        if (isDigit(c) || c == u'.') {
            token.length = runWhile(i, [](QChar d) { return isDigit(d) || d == u'.'; }) - i;
            token.kind = isWellFormedNumber(source.mid(i, token.length)) ? TokenKind::Number
                                                                         : TokenKind::Invalid;
        } else if (isNameStart(c)) {
            token = {TokenKind::Name, i, runWhile(i, isNamePart) - i};
        } else if (c == u'"') {
            const qsizetype length = textLength(source, i);
            token = length < 0 ? Token{TokenKind::Invalid, i, size - i}
                               : Token{TokenKind::Text, i, length};
        } else if (c == u'(') {
            token.kind = TokenKind::Open;
        } else if (c == u')') {
            token.kind = TokenKind::Close;
        } else if (c == u';') {
            token.kind = TokenKind::Separator;
        } else if ((c == u'<' && (next == u'=' || next == u'>')) || (c == u'>' && next == u'=')) {
            token.length = 2;
        } else if (QStringView(u"+-*/^=<>").contains(c)) {
            token.length = 1;
        } else {
            token = {TokenKind::Invalid, i, c.isHighSurrogate() && next.isLowSurrogate() ? 2 : 1};
        }
        tokens.push_back(token);
        i += token.length;
    }
    tokens.push_back({TokenKind::End, size, 0});
    return tokens;
}

QString textValue(QStringView source, const Token& token) {
    QString value = source.mid(token.start + 1, token.length - 2).toString();
    value.replace(QLatin1String("\"\""), QLatin1String("\""));
    return value;
}

std::span<const FunctionInfo> functions() {
    return kFunctions;
}

const FunctionInfo* findFunction(QStringView name) {
    for (const FunctionInfo& function : kFunctions) {
        if (name.compare(QLatin1StringView(function.name), Qt::CaseInsensitive) == 0)
            return &function;
    }
    return nullptr;
}

} // namespace K7XBO_Global::formula
