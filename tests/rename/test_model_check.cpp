// Checking a model through the service a host calls: the sample model with its report documents
// is whole, and each fault seeded into it is reported once, where it stands.
#include "documents/DocumentFixtures.h"
#include "formulas/PendingRenames.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ModelCheck.h>

#include <QSysInfo>

using namespace K7X_DoruVevuzu;
using Kind = ModelFinding::Kind;

namespace {

const QString kModel = QStringLiteral("BILANCIO");

// The sample model with its report documents in the documents folder.
struct Model : DocumentFixtures, TestDatabase, K7XBO_Global::CGlobal {
    explicit Model(const QString& engine) : TestDatabase(engine, true), CGlobal(db()) {
        setAppPath(folder());
        QDir(folder()).mkpath(K7XBO_Global::CDocFields::instance().DocFolder());
        for (const QString& name :
             QDir(CTL_SOURCE_DIR "/apps/demo/documents").entryList(QDir::Files))
            QFile::copy(CTL_SOURCE_DIR "/apps/demo/documents/" + name, documents() + name);
    }
    QString documents() const {
        return folder() + u'/' + K7XBO_Global::CDocFields::instance().DocFolder() + u'/';
    }
    void setFormula(const char* code, const char* column, const QString& formula) const {
        exec(QStringLiteral("UPDATE KX09_INDICE SET %1=? WHERE KX09_CODICEINDICE=?").arg(column),
             {formula, code});
    }
};

// What a row seeds into the sample model.
enum class Seed {
    None,
    BadFormula,
    UnknownInFormula,
    UnknownInField,
    FieldAcross,
    Missing,
    Damaged,
    Unlisted,
    WriterLock,
    DeadUpdateLock,
    StoppedRename
};

void seed(Model& model, Seed fault) {
    const QString relazione = model.documents() + "Relazione.docx";
    switch (fault) {
    case Seed::None:
        break;
    case Seed::BadFormula:
        model.setFormula("ROE", "KX09_FORMULAALLORA", "FOO(1)");
        break;
    case Seed::UnknownInFormula:
        model.setFormula("ROI", "KX09_FORMULAALTRIMENTI", R"(Indice("NOPE") + Indice("nope"))");
        break;
    case Seed::UnknownInField:
        writeDocument(relazione, R"(<w:p><w:r><w:t>Utile {{Indice("NOPE")}}</w:t></w:r></w:p>)");
        break;
    case Seed::FieldAcross:
        writeDocument(relazione, R"(<w:p><w:r><w:t>Utile {{Indice("ROE") *</w:t></w:r></w:p>)"
                                 R"(<w:p><w:r><w:t>100}} per cento</w:t></w:r></w:p>)");
        break;
    case Seed::Missing:
        QFile::remove(model.documents() + "Sintesi.odt");
        break;
    case Seed::Damaged:
        writeFile(model.documents() + "Commento.docx", "non un documento");
        break;
    case Seed::Unlisted:
        QFile::copy(relazione, model.documents() + "Vecchia.docx");
        break;
    case Seed::WriterLock:
        writeFile(model.documents() + ".~lock.Relazione.docx#",
                  bytesOf(CTL_SOURCE_DIR "/tests/data/locks/writer-7.4.lock"));
        break;
    case Seed::DeadUpdateLock:
        writeFile(model.documents() + ".~lock.Relazione.docx#",
                  (",ugo," + QSysInfo::machineHostName() +
                   ",07.12.2026 10:00,ctlIndici-aggiornamento-formule;")
                      .toUtf8());
        break;
    case Seed::StoppedRename: // B0 renamed to A1 in the database, Relazione.docx not yet
        model.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                   "KX09_DESCRIZIONE) VALUES (?, 'A1', 'a')",
                   {kModel});
        formulas::PendingRename(model, kModel, "B0", "A1", {"Relazione.docx"}).kept();
        break;
    }
}

// A seeded model and the one finding the check reports: its kind, document, place, text (for a
// stopped rename, the record's name) and a part of its message.
struct Seeded {
    const char* name;
    Seed seed;
    Kind kind = Kind::FormulaError;
    QString document = {}, place = {}, text = {}, message = {};
};
const Seeded kSeeded[] = {
    {"whole", Seed::None},
    {"bad formula", Seed::BadFormula, Kind::FormulaError, "", "ROE.KX09_FORMULAALLORA", "FOO(1)",
     "Formula non valida: Funzione sconosciuta 'FOO' alla posizione 1."},
    {"unknown in formula", Seed::UnknownInFormula, Kind::UnknownIndex, "",
     "ROI.KX09_FORMULAALTRIMENTI", R"(Indice("NOPE") + Indice("nope"))",
     R"(L'indice "NOPE" non esiste nel modello BILANCIO.)"},
    {"unknown in field", Seed::UnknownInField, Kind::UnknownIndex, "Relazione.docx", "body",
     R"(Indice("NOPE"))", R"(L'indice "NOPE" non esiste nel modello BILANCIO.)"},
    {"field across", Seed::FieldAcross, Kind::FieldNotRewritable, "Relazione.docx", "body",
     "Indice(\"ROE\") *\r100", "il campo attraversa la fine di un paragrafo o di una cella"},
    {"missing", Seed::Missing, Kind::DocumentProblem, "Sintesi.odt", "", "Sintesi.odt",
     "non è nella cartella dei documenti"},
    {"damaged", Seed::Damaged, Kind::DocumentProblem, "Commento.docx", "", "Commento.docx",
     "Impossibile aprire il documento 'Commento.docx'"},
    {"unlisted", Seed::Unlisted, Kind::UnlistedDocument, "Vecchia.docx", "", "Vecchia.docx",
     "nessun modello lo elenca"},
    {"writer lock", Seed::WriterLock, Kind::LockFile, "Relazione.docx", "",
     ".~lock.Relazione.docx#", "videoscrittura di root su vm dal 06.12.2026 21:11; da qui non"},
    {"dead update lock", Seed::DeadUpdateLock, Kind::LockFile, "Relazione.docx", "",
     ".~lock.Relazione.docx#", "il suo processo non è più attivo"},
    {"stopped rename", Seed::StoppedRename, Kind::UnfinishedRename, "", "", "",
     "'B0' in 'A1' si è fermata dopo il salvataggio nel database"}};

} // namespace

class TestModelCheck : public QObject {
    Q_OBJECT
private slots:
    // The sample model is whole; each seeded fault is the one finding, where it stands.
    void eachFaultIsReportedOnceWhereItStands_data() { TestDatabase::addEngineRows(kSeeded); }
    void eachFaultIsReportedOnceWhereItStands() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        const Seeded& row = kSeeded[entry];
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        seed(model, row.seed);
        const QStringList records =
            QDir(model.documents(), ".ctlIndici-rinomina-*").entryList(QDir::Files | QDir::Hidden);
        const QList<ModelFinding> found = checkModel(model, kModel);
        QCOMPARE(found.size(), row.seed == Seed::None ? 0 : 1);
        if (found.isEmpty())
            return;
        QCOMPARE(found[0].kind, row.kind);
        QCOMPARE(found[0].document, row.document);
        QCOMPARE(found[0].place, row.place);
        QCOMPARE(found[0].text, row.seed == Seed::StoppedRename ? records.value(0) : row.text);
        QVERIFY2(found[0].message.contains(row.message), qPrintable(found[0].message));
    }
};

QTEST_MAIN(TestModelCheck)
#include "test_model_check.moc"
