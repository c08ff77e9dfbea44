#include "rename/FieldCheck.h"

#include "documents/Document.h"
#include "documents/DocumentLocks.h"
#include "formulas/References.h"
#include "record/Codes.h"

#include <K7XBO_Global/CTextUtil.h>

#include <QFile>

namespace K7X_DoruVevuzu::rename {

namespace {

using Kind = ModelFinding::Kind;

// The longest new code a rename of `code` could write, unlike `code` at both ends, so that the
// edit covers the whole of the old code as any rename's does.
QString probeCode(const QString& code) {
    QChar letter = u'X';
    while (code.startsWith(letter, Qt::CaseInsensitive) ||
           code.endsWith(letter, Qt::CaseInsensitive))
        letter = QChar(letter.unicode() + 1);
    return QString(record::kCodeLength, letter);
}

// Why the update could not rewrite `field` in a rename of `code`, or "" when it could.
QString refusal(documents::Document& document, const formulas::FormulaField& field,
                const QString& code) {
    const std::optional<formulas::RenamedField> renamed =
        formulas::renamedField(field, code, probeCode(code));
    if (!renamed || renamed->edits.empty())
        return {};
    try {
        formulas::refuseFieldsAcrossParagraphs(document, {*renamed});
        document.check(field.story, renamed->edits);
    } catch (const RuntimeError& refused) {
        return QStringLiteral("Una rinomina di %1 non potrebbe riscrivere questo campo. %2")
            .arg(K7XBO_Global::CTextUtil::instance().FormulaQuote(code), refused.description());
    }
    return {};
}

// The findings of one field: each code the model lacks once, then the first refusal.
void checkField(documents::Document& document, const formulas::FormulaField& field,
                const CodeKeys& codes, const QString& model, ModelFinding finding,
                QList<ModelFinding>& found) {
    CodeKeys seen;
    QString refused;
    for (const QString& code : formulas::referencedCodes(field.script)) {
        const QString key = K7XBO_Global::CTextUtil::CodeKey(code);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (!codes.contains(key)) {
            finding.kind = Kind::UnknownIndex;
            finding.message = unknownIndexMessage(code, model);
            found.append(finding);
        } else if (refused.isEmpty()) {
            refused = refusal(document, field, code);
        }
    }
    if (refused.isEmpty())
        return;
    finding.kind = Kind::FieldNotRewritable;
    finding.message = refused;
    found.append(finding);
}

// What a lock file's holder tells of it.
QString holderText(const documents::LockFound& lock) {
    if (!lock.holder)
        return QStringLiteral("non dice chi lo ha creato");
    if (lock.holder->irregular)
        return QStringLiteral("non è un file di blocco valido (è un collegamento, una pipe o una "
                              "cartella)");
    const QString who = lock.holder->update
                            ? QStringLiteral("un aggiornamento dei documenti di %1 su %2 dal %3")
                            : QStringLiteral("un programma di videoscrittura di %1 su %2 dal %3");
    return QStringLiteral("è di ") +
           who.arg(lock.holder->user, lock.holder->host, lock.holder->date);
}

} // namespace

QString unknownIndexMessage(const QString& code, const QString& model) {
    return QStringLiteral("L'indice %1 non esiste nel modello %2.")
        .arg(K7XBO_Global::CTextUtil::instance().FormulaQuote(code), model);
}

QList<ModelFinding> fieldFindings(const QString& name, const documents::Place& place,
                                  const formulas::FieldMarkers& markers, const CodeKeys& codes,
                                  const QString& model) {
    QList<ModelFinding> found;
    try {
        const auto document = documents::Document::open(place);
        for (const formulas::FormulaField& field : formulas::formulaFields(*document, markers))
            checkField(*document, field, codes, model,
                       {Kind::UnknownIndex, name, document->storyName(field.story), field.text, {}},
                       found);
    } catch (const RuntimeError& failure) {
        found.append({Kind::DocumentProblem, name, {}, name, failure.description()});
    }
    return found;
}

std::optional<ModelFinding> lockFinding(const QString& name, const documents::Place& place) {
    const std::optional<documents::LockFound> lock = documents::lockBeside(place);
    if (!lock)
        return std::nullopt;
    const QString file = QFile::decodeName(lock->name);
    QString message = QStringLiteral("Accanto al documento c'è il file di blocco '%1': %2")
                          .arg(file, holderText(*lock));
    if (lock->alive == documents::LockFound::Alive::Yes)
        message += QStringLiteral("; il suo processo è ancora attivo su questa macchina.");
    else if (lock->alive == documents::LockFound::Alive::No)
        message += QStringLiteral("; il suo processo non è più attivo: il prossimo aggiornamento "
                                  "lo sostituisce.");
    else
        message += QStringLiteral("; da qui non si può sapere se è ancora in uso: se nessuno sta "
                                  "usando il documento, eliminarlo.");
    return ModelFinding{ModelFinding::Kind::LockFile, name, {}, file, message};
}

} // namespace K7X_DoruVevuzu::rename
