// Where an index is used, and renaming it (the contract is in K7X_DoruVevuzu/IndexRename.h).
#include <K7X_DoruVevuzu/IndexRename.h>

#include "data/Transaction.h"
#include "errors/Errors.h"
#include "formulas/DocumentUpdate.h"
#include "formulas/PendingRenames.h"
#include "record/Codes.h"
#include "record/Statements.h"
#include "record/Text.h"
#include "rename/Places.h"

#include <memory>
#include <optional>

namespace K7X_DoruVevuzu {

namespace {

using rename::kRenameSource;

// How long a rename waits for another one holding the model.
constexpr std::chrono::seconds kWaitForOthers{30};

QList<IndexReference> places(K7XBO_Global::CGlobal& service, const QString& model,
                             const QString& oldCode, const QString& newCode,
                             rename::Listing listing) {
    const data::Rows rows =
        data::run(record::hostConnection(service), rename::selectFormulas(), {model});
    QList<IndexReference> found =
        rename::formulaPlaces(rename::formulasOf(rows), oldCode, newCode, listing);
    found.append(rename::documentPlaces(service, model, oldCode, newCode, listing));
    return found;
}

// Refuses a new code the form would refuse: empty, too long, or another index's of the model.
void checkNewCode(const QSqlDatabase& db, const QString& model, const QString& oldCode,
                  const QString& newCode) {
    if (newCode.isEmpty())
        fail(RuntimeError::InvalidCall, record::kCodeMissing, kRenameSource);
    if (newCode.size() > record::kCodeLength)
        fail(
            RuntimeError::InvalidCall,
            QStringLiteral("Il codice può avere al massimo %1 caratteri.").arg(record::kCodeLength),
            kRenameSource);
    if (record::codeUsed(db, model, newCode, oldCode))
        fail(RuntimeError::InvalidCall, record::kCodeUsed, kRenameSource);
}

// Refuses an index the model lacks.
void requireIndex(const QSqlDatabase& db, const QString& model, const QString& code) {
    const record::Statement index = record::selectIndex(model, code);
    if (data::run(db, index.sql, index.values).isEmpty())
        fail(RuntimeError::InvalidCall,
             QStringLiteral("L'indice '%1' non esiste nel modello '%2'.").arg(code, model),
             kRenameSource);
}

// Holds the model's row against other renames until the transaction ends (not against other
// users adding indices or documents to the model), then checks the codes again.
void holdModel(data::Transaction& transaction, const QSqlDatabase& db, const QString& model,
               const QString& oldCode, const QString& newCode) {
    transaction.holdRows(QStringLiteral("SELECT KX06_CODICEMODELLO FROM KX06_MODELLI WHERE "
                                        "KX06_CODICEMODELLO=?"),
                         {model});
    requireIndex(db, model, oldCode);
    checkNewCode(db, model, oldCode, newCode);
}

// Changes the index's code and rewrites every formula of the model that refers to it.
void renameInDatabase(data::Transaction& transaction, const QString& model, const QString& oldCode,
                      const QString& newCode) {
    transaction.run(QStringLiteral("UPDATE KX09_INDICE SET KX09_CODICEINDICE=? WHERE "
                                   "KX09_CODICEMODELLO_KX06=? AND KX09_CODICEINDICE=?"),
                    {newCode, model, oldCode});
    const data::Rows rows = transaction.run(rename::selectFormulas(), {model});
    const QString update = QStringLiteral("UPDATE KX09_INDICE SET %1=? WHERE "
                                          "KX09_CODICEMODELLO_KX06=? AND KX09_CODICEINDICE=?");
    for (const rename::IndexFormulas& index : rename::formulasOf(rows)) {
        for (std::size_t column = 0; column < rename::kFormulaColumns.size(); ++column) {
            if (const auto after = rename::listedFormula(index.formulas[column].toString(), oldCode,
                                                         newCode, rename::Listing::Changes))
                transaction.run(update.arg(QLatin1String(rename::kFormulaColumns[column])),
                                {*after, model, index.code});
        }
    }
}

} // namespace

QList<IndexReference> indexUsage(K7XBO_Global::CGlobal& service, const QString& model,
                                 const QString& code) {
    return places(service, model, code, code, rename::Listing::Usage);
}

QList<IndexReference> renamePreview(K7XBO_Global::CGlobal& service, const QString& model,
                                    const QString& oldCode, const QString& newCode) {
    const QString code = record::trimSpaces(newCode);
    checkNewCode(record::hostConnection(service), model, oldCode, code);
    return places(service, model, oldCode, code, rename::Listing::Changes);
}

void renameIndex(K7XBO_Global::CGlobal& service, const QString& model, const QString& oldCode,
                 const QString& newCode) {
    const QSqlDatabase db = record::hostConnection(service);
    data::Transaction::requireNoneOpen(db);
    formulas::finishRenames(service); // a rename left half done comes first
    const QString code = record::trimSpaces(newCode);
    requireIndex(db, model, oldCode);
    checkNewCode(db, model, oldCode, code);
    if (code == oldCode)
        return;
    // The documents first: held and rewritten beside themselves while the database is not
    // locked, so a document another program holds makes nobody else wait on the database.
    auto documents = std::make_unique<DocumentUpdate>(
        oldCode, code, [](const QString&, const documents::LockHolder&) {});
    QStringList names;
    for (const rename::ReportDocument& report : rename::reportDocuments(service, model)) {
        documents->add(report.name, report.path);
        names << report.name;
    }
    documents->ready();
    std::optional<formulas::PendingRename> pending;
    if (!names.isEmpty())
        pending.emplace(service, model, oldCode, code, names);
    data::Transaction transaction(db, kWaitForOthers);
    holdModel(transaction, db, model, oldCode, code);
    renameInDatabase(transaction, model, oldCode, code);
    transaction.commit();
    if (!pending)
        return;
    pending->kept();
    try {
        documents->commit(documents::SaveBatch::Changed::LeaveIt);
    } catch (const RuntimeError&) { // each document left over is rewritten on its own
    }
    documents.reset(); // its lock files with it
    formulas::finishRenames(service);
}

} // namespace K7X_DoruVevuzu
