// Fuzzes ctlIndici::ReplaceIndice with a script, an old and a new code (the input cut at NUL
// bytes) against what a rename must keep: a script without references stays as it is, a second
// pass changes nothing, renaming back restores the script up to the spelling of the rewritten
// references, and in a canonical formula exactly the old code's references change.
#include "FuzzSupport.h"
#include "host/FormulaSyntax.h"

#include <K7X_DoruVevuzu/ctlIndici.h>

#include <algorithm>

namespace {

namespace formula = K7XBO_Global::formula;

K7X_DoruVevuzu::ctlIndici* editor = nullptr;

QString replaced(QString script, const QString& oldCode, const QString& newCode) {
    editor->ReplaceIndice(script, oldCode, newCode);
    return script;
}

QStringList codes(const formula::ParseResult& parsed) {
    QStringList found;
    for (const formula::Reference& reference : parsed.indices)
        found.append(reference.code);
    return found;
}

// A canonical formula renamed: it still parses, stays canonical, and its Indice codes are the
// old ones with every one equal to the old code (case ignored) now the new code.
void checkFormula(const formula::Node& root, const QString& oldCode, const QString& newCode) {
    const QString canonical = formula::writeFormula(root);
    const QString renamed = replaced(canonical, oldCode, newCode);
    const formula::ParseResult after = formula::parseFormula(renamed);
    fuzz::require(after.root && formula::writeFormula(*after.root) == renamed,
                  "a renamed canonical formula is no longer canonical");
    QStringList expected = codes(formula::parseFormula(canonical));
    for (QString& code : expected) {
        if (code.compare(oldCode, Qt::CaseInsensitive) == 0)
            code = newCode;
    }
    fuzz::require(codes(after) == expected, "a rename touched the wrong references");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    fuzz::startApplication((*argv)[0]);
    editor = new K7X_DoruVevuzu::ctlIndici;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<QString> input = fuzz::texts(data, size, 3);
    const QString& script = input[0];
    const QString& oldCode = input[1];
    const QString& newCode = input[2];

    const QString once = replaced(script, oldCode, newCode);
    if (!script.contains(QLatin1String("indice("), Qt::CaseInsensitive))
        fuzz::require(once == script, "a script without references changed");
    // A ")" in the new code closes its rewritten reference early: the rest of the code is then
    // script text that may hold references of its own.
    if (!newCode.contains(u')')) {
        fuzz::require(replaced(once, oldCode, newCode) == once, "a second pass changed the script");
        // Renaming back is lossless when the script named no reference to the new code (a
        // rewrite to any other code would change it).
        if (replaced(script, newCode, newCode + u'\x01') == script)
            fuzz::require(replaced(once, newCode, oldCode) == replaced(script, oldCode, oldCode),
                          "renaming back did not restore the script");
    }
    // The first ")" closes a reference, so an old code holding one is never found. The keyword
    // is found anywhere, also inside a quoted code, where the doubled quotes keep it from naming
    // the old code unless that is made of quotes only (empty included).
    const bool onlyQuotes =
        std::all_of(oldCode.begin(), oldCode.end(), [](QChar c) { return c == u'"'; });
    const formula::ParseResult parsed = formula::parseFormula(script);
    if (parsed.root && !newCode.isEmpty() && !oldCode.contains(u')') && !onlyQuotes)
        checkFormula(*parsed.root, oldCode, newCode);
    return 0;
}
