// Fuzzes ctlIndici::ReplaceIndice with a script, an old and a new code (cut at NUL bytes): what a
// rename keeps, and in a canonical formula exactly the old code's references change.
#include "FuzzSupport.h"

#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>

namespace formula = K7XBO_Global::formula;

static K7X_DoruVevuzu::ctlIndici* editor = nullptr;

static QString replaced(QString script, const QString& oldCode, const QString& newCode) {
    editor->ReplaceIndice(script, oldCode, newCode);
    return script;
}

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) { // the widget's application, offscreen
    static int argc = 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, *argv);
    editor = new K7X_DoruVevuzu::ctlIndici;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayList input = fuzz::pieces(data, size, 3);
    const QString script = QString::fromUtf8(input[0]), oldCode = QString::fromUtf8(input[1]),
                  newCode = QString::fromUtf8(input[2]);
    const QString once = replaced(script, oldCode, newCode);
    fuzz::require(once == script || script.contains(QLatin1String("indice("), Qt::CaseInsensitive),
                  "a script without references changed");
    // A ")" in a new code closes its reference early; renaming back needs no reference to it.
    fuzz::require(newCode.contains(u')') || replaced(once, oldCode, newCode) == once,
                  "a second pass changed the script");
    fuzz::require(newCode.contains(u')') ||
                      replaced(script, newCode, newCode + u'\x01') != script ||
                      replaced(once, newCode, oldCode) == replaced(script, oldCode, oldCode),
                  "renaming back did not restore the script");
    // An old code holding ")" is never found; one of quotes only (or empty) is found inside
    // quoted codes, where the keyword may stand.
    const formula::ParseResult parsed = formula::parseFormula(script);
    if (!parsed.root || newCode.isEmpty() || oldCode.contains(u')') ||
        oldCode.count(u'"') == oldCode.size())
        return 0;
    const QString renamed = replaced(formula::writeFormula(*parsed.root), oldCode, newCode);
    const formula::ParseResult after = formula::parseFormula(renamed);
    QStringList expected = fuzz::codes(parsed);
    for (QString& code : expected)
        code = code.compare(oldCode, Qt::CaseInsensitive) ? code : newCode;
    fuzz::require(after.root && formula::writeFormula(*after.root) == renamed &&
                      fuzz::codes(after) == expected,
                  "a renamed canonical formula is no longer canonical or renamed other codes");
    return 0;
}
