#include "Commands.h"

#include "DemoDatabase.h"
#include "Progress.h"
#include "formulas/ModelDocuments.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/IndexRename.h>
#include <K7X_DoruVevuzu/ModelCheck.h>

namespace cli {

namespace {

using K7X_DoruVevuzu::IndexReference;
using K7X_DoruVevuzu::ModelFinding;

const Column kDocument{QStringLiteral("document"), QStringLiteral("Documento")};
const Column kPlace{QStringLiteral("place"), QStringLiteral("Posizione")};

// The places a service listed, with what each becomes when `withAfter`.
Table references(const QList<IndexReference>& found, bool withAfter) {
    Table table{{kDocument, kPlace, {QStringLiteral("before"), QStringLiteral("Prima")}},
                {},
                QStringLiteral("Nessun riferimento.")};
    if (withAfter)
        table.columns << Column{QStringLiteral("after"), QStringLiteral("Dopo")};
    for (const IndexReference& reference : found) {
        table.rows << QStringList{reference.document, reference.place, reference.before};
        if (withAfter)
            table.rows.last() << reference.after;
    }
    return table;
}

// A finding's kind as the output names it.
QString kindName(ModelFinding::Kind kind) {
    switch (kind) {
    case ModelFinding::Kind::FormulaError:
        return QStringLiteral("formula-error");
    case ModelFinding::Kind::UnknownIndex:
        return QStringLiteral("unknown-index");
    case ModelFinding::Kind::FieldNotRewritable:
        return QStringLiteral("field-not-rewritable");
    case ModelFinding::Kind::DocumentProblem:
        return QStringLiteral("document-problem");
    case ModelFinding::Kind::UnlistedDocument:
        return QStringLiteral("unlisted-document");
    case ModelFinding::Kind::LockFile:
        return QStringLiteral("lock-file");
    case ModelFinding::Kind::UnfinishedRename:
        return QStringLiteral("unfinished-rename");
    }
    return {};
}

// indici check MODEL
Outcome check(K7XBO_Global::CGlobal& service, const QStringList& arguments, bool) {
    Progress progress;
    progress.show(QStringLiteral("Controllo del modello %1…").arg(arguments[0]));
    Outcome outcome{
        {{{QStringLiteral("kind"), QStringLiteral("Tipo")},
          kDocument,
          kPlace,
          {QStringLiteral("text"), QStringLiteral("Testo")},
          {QStringLiteral("message"), QStringLiteral("Messaggio")}},
         {},
         QStringLiteral("Il modello %1 è integro: nessun problema trovato.").arg(arguments[0])}};
    for (const ModelFinding& finding : K7X_DoruVevuzu::checkModel(service, arguments[0])) {
        outcome.table.rows << QStringList{kindName(finding.kind), finding.document, finding.place,
                                          finding.text, finding.message};
        if (finding.kind != ModelFinding::Kind::UnlistedDocument) // information only
            outcome.status = 1;
    }
    return outcome;
}

// indici usage MODEL CODE
Outcome usage(K7XBO_Global::CGlobal& service, const QStringList& arguments, bool) {
    return {references(K7X_DoruVevuzu::indexUsage(service, arguments[0], arguments[1]), false)};
}

// indici rename MODEL OLD NEW [--preview]
Outcome rename(K7XBO_Global::CGlobal& service, const QStringList& arguments, bool preview) {
    if (preview)
        return {references(
            K7X_DoruVevuzu::renamePreview(service, arguments[0], arguments[1], arguments[2]),
            true)};
    Progress progress;
    progress.show(QStringLiteral("Rinomina di %1 in %2…").arg(arguments[1], arguments[2]));
    K7X_DoruVevuzu::renameIndex(service, arguments[0], arguments[1], arguments[2]);
    return {};
}

// indici update-documents MODEL OLD NEW: the documents alone, as UpdateDocFormulas updates them.
Outcome updateDocuments(K7XBO_Global::CGlobal& service, const QStringList& arguments, bool) {
    Progress progress;
    K7X_DoruVevuzu::formulas::updateModelDocuments(
        service, arguments[0], arguments[1], arguments[2],
        {.started = {},
         .waiting =
             [&](const QString& name, const K7X_DoruVevuzu::documents::LockHolder& by) {
                 progress.show(
                     QStringLiteral("In attesa di %1 (%2 su %3)…").arg(name, by.user, by.host));
             },
         .opening = [&](const QString& name) { progress.show(QStringLiteral("%1…").arg(name)); },
         .saving =
             [&] {
                 progress.show(QStringLiteral("Salvataggio dei documenti…"));
             }});
    return {};
}

// indici models
Outcome models(K7XBO_Global::CGlobal& service, const QStringList&, bool) {
    Outcome outcome{{{{QStringLiteral("code"), QStringLiteral("Codice")},
                      {QStringLiteral("description"), QStringLiteral("Descrizione")}},
                     {},
                     QStringLiteral("Nessun modello.")}};
    for (const demo::Model& model : demo::listModels(service.Database()->Connection()))
        outcome.table.rows << QStringList{model.code, model.description};
    return outcome;
}

} // namespace

const QList<Command>& commands() {
    static const QList<Command> all{
        {"check", "MODELLO", 1, check},
        {"usage", "MODELLO CODICE", 2, usage},
        {"rename", "MODELLO VECCHIO NUOVO [--preview]", 3, rename},
        {"update-documents", "MODELLO VECCHIO NUOVO", 3, updateDocuments},
        {"models", "", 0, models}};
    return all;
}

const Command* findCommand(const QString& name) {
    for (const Command& command : commands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

} // namespace cli
