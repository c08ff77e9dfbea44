// The rules an index code follows wherever one is chosen: the form's validation and the rename
// service give the same answers with the same messages.
#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace K7X_DoruVevuzu::record {

// The longest code KX09_CODICEINDICE holds (the code box takes no more).
inline constexpr int kCodeLength = 10;
inline const QString kCodeMissing = QStringLiteral("Inserire il codice.");
inline const QString kCodeUsed = QStringLiteral("Codice esistente.");

// Whether a row of the model other than the one coded `self` holds `code`: codes that differ only
// in case are one code (CTextUtil::SameCode). The database finds the candidates through an
// index (record/Statements.h, selectCodesFoldingTo), the rule confirms them; a schema without
// that index is read along the model's rows by the database, and a code SQLite cannot fold by
// reading the model's codes. Database failures are RuntimeError.
bool codeUsed(const QSqlDatabase& db, const QString& model, const QString& code,
              const std::optional<QString>& self);

// Whether KX06_MODELLI holds the model coded `model`. Database failures are RuntimeError.
bool modelExists(const QSqlDatabase& db, const QString& model);
// What a service says of a model the database lacks.
inline QString modelMissing(const QString& model) {
    return QStringLiteral("Il modello '%1' non esiste nel database.").arg(model);
}

} // namespace K7X_DoruVevuzu::record
