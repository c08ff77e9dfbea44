#include "formulas/References.h"

#include <K7XBO_Global/CTextUtil.h>

namespace K7X_DoruVevuzu::formulas {

namespace {

constexpr char16_t kKeywordStem[] = u"indice"; // followed by "("
constexpr qsizetype kStemLength = 6;
constexpr qsizetype kKeywordLength = kStemLength + 1;

// ASCII letters only: 'I' | 0x20 is 'i', and no other character folds onto a letter this way.
bool isKeywordAt(QStringView script, qsizetype at) {
    for (qsizetype i = 0; i < kStemLength; ++i) {
        if ((script[at + i].unicode() | 0x20) != kKeywordStem[i])
            return false;
    }
    return true;
}

// The first keyword starting at or after from, or -1. Scans for its "(" (a vectorised search)
// and looks back at the six letters before it.
qsizetype findKeyword(QStringView script, qsizetype from) {
    for (;;) {
        const qsizetype open = script.indexOf(u'(', from + kStemLength);
        if (open < 0)
            return -1;
        if (isKeywordAt(script, open - kStemLength))
            return open - kStemLength;
        from = open - kStemLength + 1;
    }
}

// Walks the keywords of `script` in order: `names(argument)` (the argument without the white
// space around it) tells whether a keyword is a reference; `found(from, to)` is told each one,
// and the search goes on after its ")".
template <typename Names, typename Found>
void walkReferences(QStringView script, const Names& names, const Found& found) {
    qsizetype close = -1;  // the first ")" at or after the current keyword
    qsizetype argEnd = -1; // close, less the white space before it
    for (qsizetype p = findKeyword(script, 0); p >= 0;) {
        if (close < p) {
            close = script.indexOf(u')', p + kKeywordLength);
            if (close < 0)
                break; // no ")" is left for this keyword nor for any later one
            for (argEnd = close; script[argEnd - 1].isSpace();)
                --argEnd;
        }
        qsizetype argStart = p + kKeywordLength;
        while (argStart < close && script[argStart].isSpace())
            ++argStart;
        const QStringView argument = script.mid(argStart, qMax<qsizetype>(0, argEnd - argStart));
        if (!names(argument)) {
            p = findKeyword(script, p + 1);
            continue;
        }
        found(argument, p, close + 1);
        p = findKeyword(script, close + 1);
    }
}

} // namespace

ReferenceRewrite findReferences(QStringView script, const QString& oldCode,
                                const QString& newCode) {
    const auto& text = K7XBO_Global::CTextUtil::instance();
    const QString oldArgument = text.FormulaQuote(oldCode);
    ReferenceRewrite rewrite{{}, QStringLiteral("Indice(") + text.FormulaQuote(newCode) + u')'};
    walkReferences(
        script,
        [&](QStringView argument) {
            return K7XBO_Global::CTextUtil::SameCode(argument, oldArgument);
        },
        [&](QStringView, qsizetype from, qsizetype to) {
            rewrite.ranges.push_back({from, to});
        });
    return rewrite;
}

QStringList referencedCodes(QStringView script) {
    const auto& text = K7XBO_Global::CTextUtil::instance();
    QStringList codes;
    const auto unquoted = [](QStringView argument) {
        return argument.mid(1, argument.size() - 2)
            .toString()
            .replace(QStringLiteral("\"\""), QStringLiteral("\""));
    };
    walkReferences(
        script,
        [&](QStringView argument) {
            return argument.size() > 2 && argument.front() == u'"' && argument.back() == u'"' &&
                   text.FormulaQuote(unquoted(argument)) == argument;
        },
        [&](QStringView argument, qsizetype, qsizetype) { codes << unquoted(argument); });
    return codes;
}

qsizetype ReferenceRewrite::rewrittenLength(qsizetype scriptLength) const {
    for (const ReferenceRange& range : ranges)
        scriptLength += written.size() - (range.to - range.from);
    return scriptLength;
}

QString ReferenceRewrite::appliedTo(QStringView script) const {
    QString result;
    result.reserve(rewrittenLength(script.size()));
    qsizetype copied = 0; // script[0, copied) is already in result
    for (const ReferenceRange& range : ranges) {
        result.append(script.mid(copied, range.from - copied)).append(written);
        copied = range.to;
    }
    return result.append(script.mid(copied));
}

} // namespace K7X_DoruVevuzu::formulas
