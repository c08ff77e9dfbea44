#include "RenameIndex.h"

#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QSqlError>
#include <QSqlQuery>

#include <array>

namespace demo {

namespace {

using K7X_DoruVevuzu::RuntimeError;

const std::array<const char*, 3> kFormulaColumns{"KX09_FORMULACONDIZIONE", "KX09_FORMULAALLORA",
                                                 "KX09_FORMULAALTRIMENTI"};

[[noreturn]] void refuse(const QString& description) {
    throw RuntimeError(RuntimeError::InvalidCall, QStringLiteral("Rinomina indice"), description);
}

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query(db);
    if (!query.prepare(sql))
        refuse(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        refuse(QStringLiteral("Errore del database: %1").arg(query.lastError().text()));
    return query;
}

void checkNewCode(const QSqlDatabase& db, const RenameRequest& request) {
    if (request.newCode.trimmed().isEmpty())
        refuse(QStringLiteral("Inserire il nuovo codice."));
    if (request.newCode.size() > 10)
        refuse(QStringLiteral("Il codice può avere al massimo 10 caratteri."));
    QSqlQuery used = run(db,
                         QStringLiteral("SELECT 1 FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=? "
                                        "AND KX09_CODICEINDICE=?"),
                         {request.model, request.newCode});
    if (used.next())
        refuse(QStringLiteral("Codice esistente."));
}

// Rewrites the references in every formula of the model; returns how many rows changed.
int rewriteFormulas(const QSqlDatabase& db, K7X_DoruVevuzu::ctlIndici& editor,
                    const RenameRequest& request) {
    QSqlQuery rows = run(db,
                         QStringLiteral("SELECT KX09_CODICEINDICE, KX09_FORMULACONDIZIONE, "
                                        "KX09_FORMULAALLORA, KX09_FORMULAALTRIMENTI FROM "
                                        "KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=?"),
                         {request.model});
    int changed = 0;
    while (rows.next()) {
        QVariantList values;
        bool differs = false;
        for (int column = 1; column <= int(kFormulaColumns.size()); ++column) {
            const QVariant stored = rows.value(column);
            QString script = stored.toString();
            editor.ReplaceIndice(script, request.oldCode, request.newCode);
            differs = differs || (!stored.isNull() && script != stored.toString());
            values << (stored.isNull() ? stored : QVariant(script));
        }
        if (!differs)
            continue;
        values << request.model << rows.value(0);
        run(db,
            QStringLiteral("UPDATE KX09_INDICE SET %1=?, %2=?, %3=? WHERE "
                           "KX09_CODICEMODELLO_KX06=? AND KX09_CODICEINDICE=?")
                .arg(QLatin1String(kFormulaColumns[0]), QLatin1String(kFormulaColumns[1]),
                     QLatin1String(kFormulaColumns[2])),
            values);
        ++changed;
    }
    return changed;
}

} // namespace

bool renameIndex(const QSqlDatabase& db, K7X_DoruVevuzu::ctlIndici& editor,
                 const RenameRequest& request,
                 const std::function<bool(const QString& failure)>& goOn) {
    checkNewCode(db, request);
    QSqlDatabase connection = db;
    if (!connection.transaction())
        refuse(QStringLiteral("Impossibile aprire la transazione: %1")
                   .arg(connection.lastError().text()));
    try {
        run(db,
            QStringLiteral("UPDATE KX09_INDICE SET KX09_CODICEINDICE=? WHERE "
                           "KX09_CODICEMODELLO_KX06=? AND KX09_CODICEINDICE=?"),
            {request.newCode, request.model, request.oldCode});
        rewriteFormulas(db, editor, request);
        QString oldCode = request.oldCode;
        QString newCode = request.newCode;
        try {
            editor.UpdateDocFormulas(oldCode, newCode);
        } catch (const RuntimeError& failure) {
            if (!goOn(failure.description())) {
                connection.rollback();
                return false;
            }
        }
        if (!connection.commit())
            refuse(connection.lastError().text());
        return true;
    } catch (...) {
        connection.rollback();
        throw;
    }
}

} // namespace demo
