// Rewriting the references to an index code inside a formula script (the rule is in
// formulas/References.h). Scripts and results are held to the length a 32-bit position can
// reach.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "formulas/References.h"

#include <limits>

namespace K7X_DoruVevuzu {

namespace {

constexpr qsizetype kMaxScript = std::numeric_limits<qint32>::max();

[[noreturn]] void tooLong() {
    fail(RuntimeError::Overflow,
         QStringLiteral("La formula supera la lunghezza massima di %1 caratteri.").arg(kMaxScript));
}

} // namespace

void ctlIndiciPrivate::ReplaceIndice(QString& Script, const QString& OldIndice,
                                     const QString& NewIndice) {
    if (Script.size() > kMaxScript)
        tooLong();
    const formulas::ReferenceRewrite rewrite =
        formulas::findReferences(Script, OldIndice, NewIndice);
    if (rewrite.ranges.empty())
        return;
    if (rewrite.rewrittenLength(Script.size()) > kMaxScript)
        tooLong();
    Script = rewrite.appliedTo(Script);
}

} // namespace K7X_DoruVevuzu
