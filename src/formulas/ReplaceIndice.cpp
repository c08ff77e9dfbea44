// Rewriting the references to an index code inside a formula script.
//
// A reference is the keyword "Indice(" (any case, found anywhere, also as the tail of a longer
// name such as MaxIndice) up to the first ")" after it. It names the old code when its
// argument, without the white space around it, is the old code quoted as the formula language
// quotes it, compared by the codes' case rule (CTextUtil::SameCode). A matching reference is
// written back as Indice("NEW"). The result is built in one pass, so the time is linear in the
// script.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"

#include <K7XBO_Global/CTextUtil.h>

#include <limits>

namespace K7X_DoruVevuzu {

namespace {

constexpr qsizetype kMaxScript = std::numeric_limits<qint32>::max();
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

[[noreturn]] void tooLong() {
    fail(RuntimeError::Overflow,
         QStringLiteral("La formula supera la lunghezza massima di %1 caratteri.").arg(kMaxScript));
}

} // namespace

void ctlIndici::ReplaceIndice(QString& Script, QString OldIndice, QString NewIndice) {
    if (Script.size() > kMaxScript)
        tooLong();
    const auto& text = K7XBO_Global::CTextUtil::instance();
    const QString oldArgument = text.FormulaQuote(OldIndice);
    const QString written = QStringLiteral("Indice(") + text.FormulaQuote(NewIndice) + u')';
    const QStringView script(Script);

    QString result;
    qsizetype copied = 0;  // script[0, copied) is already in result
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
        if (!K7XBO_Global::CTextUtil::SameCode(argument, oldArgument)) {
            p = findKeyword(script, p + 1);
            continue;
        }
        if (result.size() + (p - copied) + written.size() > kMaxScript)
            tooLong();
        if (result.isNull())
            result.reserve(Script.size() + written.size());
        result.append(script.mid(copied, p - copied)).append(written);
        copied = close + 1;
        p = findKeyword(script, copied);
    }
    if (result.isNull())
        return;
    if (result.size() + (Script.size() - copied) > kMaxScript)
        tooLong();
    result.append(script.mid(copied));
    Script = std::move(result);
}

} // namespace K7X_DoruVevuzu
