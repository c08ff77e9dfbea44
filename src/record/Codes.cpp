#include "record/Codes.h"

#include "data/Runner.h"
#include "record/Statements.h"

#include <K7XBO_Global/CTextUtil.h>

namespace K7X_DoruVevuzu::record {

bool codeUsed(const QSqlDatabase& db, const QString& model, const QString& code,
              const std::optional<QString>& self) {
    const std::optional<Statement> candidates = selectCodesFoldingTo(db, model, code);
    const Statement statement = candidates ? *candidates : selectCodes(model);
    const data::Rows codes = data::run(db, statement.sql, statement.values);
    for (int row = 0; row < codes.count; ++row) {
        const QString stored = codes.at(row, 0).toString();
        if (K7XBO_Global::CTextUtil::SameCode(stored, code) && stored != self)
            return true;
    }
    return false;
}

bool modelExists(const QSqlDatabase& db, const QString& model) {
    return !data::run(db, QStringLiteral("SELECT 1 FROM KX06_MODELLI WHERE KX06_CODICEMODELLO=?"),
                      {model})
                .isEmpty();
}

} // namespace K7X_DoruVevuzu::record
