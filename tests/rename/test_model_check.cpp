// Checking a model through the service a host calls: the sample model with its report documents
// is whole, and each fault seeded into it is reported once, where it stands.
#include "documents/DocumentFixtures.h"
#include "formulas/PendingRenames.h"
#include "support/Raised.h"
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
             QDir(CTL_SOURCE_DIR "/apps/database/documents").entryList(QDir::Files))
            QFile::copy(CTL_SOURCE_DIR "/apps/database/documents/" + name, documents() + name);
    }
    QString documents() const {
        return folder() + u'/' + K7XBO_Global::CDocFields::instance().DocFolder() + u'/';
    }
    QString lock() const { return documents() + ".~lock.Relazione.docx#"; }
    void setFormula(const char* code, const char* column, const QString& formula) const {
        exec(QStringLiteral("UPDATE KX09_INDICE SET %1=? WHERE KX09_CODICEINDICE=?").arg(column),
             {formula, code});
    }
};

const QString kRelazione = QStringLiteral("Relazione.docx");
const QByteArray kDeadUpdate = ",ugo," + QSysInfo::machineHostName().toUtf8() +
                               ",07.12.2026 10:00,ctlIndici-aggiornamento-formule;";

// A fault seeded into the sample model and the one finding the check reports: its kind,
// document, place, text (for a stopped rename, its record's name) and a part of its message.
struct Seeded {
    const char* name;
    void (*seed)(Model& model);
    Kind kind = Kind::FormulaError;
    QString document = {}, place = {}, text = {}, message = {};
};
const Seeded kSeeded[] = {
    {"whole", nullptr},
    {"bad formula", [](Model& m) { m.setFormula("ROE", "KX09_FORMULAALLORA", "FOO(1)"); },
     Kind::FormulaError, "", "ROE.KX09_FORMULAALLORA", "FOO(1)",
     "Formula non valida: Funzione sconosciuta 'FOO' alla posizione 1."},
    {"unknown in formula",
     [](Model& m) { m.setFormula("ROI", "KX09_FORMULAALTRIMENTI", R"(Indice("N")+Indice("n"))"); },
     Kind::UnknownIndex, "", "ROI.KX09_FORMULAALTRIMENTI", R"(Indice("N")+Indice("n"))",
     R"(L'indice "N" non esiste nel modello BILANCIO.)"},
    {"unknown in field",
     [](Model& m) {
         writeDocument(m.documents() + kRelazione,
                       "<w:p><w:r><w:t>{{Indice(\"N\")}}</w:t></w:r></w:p>");
     },
     Kind::UnknownIndex, kRelazione, "body", R"(Indice("N"))",
     R"(L'indice "N" non esiste nel modello BILANCIO.)"},
    {"field across",
     [](Model& m) {
         writeDocument(m.documents() + kRelazione,
                       R"(<w:p><w:r><w:t>Utile {{Indice("ROE") *</w:t></w:r></w:p>)"
                       R"(<w:p><w:r><w:t>100}} per cento</w:t></w:r></w:p>)");
     },
     Kind::FieldNotRewritable, kRelazione, "body", "Indice(\"ROE\") *\r100",
     "il campo attraversa la fine di un paragrafo o di una cella"},
    {"missing", [](Model& m) { QFile::remove(m.documents() + "Sintesi.odt"); },
     Kind::DocumentProblem, "Sintesi.odt", "", "Sintesi.odt", "non è nella cartella dei documenti"},
    {"damaged", [](Model& m) { writeFile(m.documents() + "Commento.docx", "non un documento"); },
     Kind::DocumentProblem, "Commento.docx", "", "Commento.docx",
     "Impossibile aprire il documento 'Commento.docx'"},
    {"unlisted",
     [](Model& m) { QFile::copy(m.documents() + kRelazione, m.documents() + "V.docx"); },
     Kind::UnlistedDocument, "V.docx", "", "V.docx", "nessun modello lo elenca"},
    {"writer lock",
     [](Model& m) { QFile::copy(CTL_SOURCE_DIR "/tests/data/locks/writer-7.4.lock", m.lock()); },
     Kind::LockFile, kRelazione, "", ".~lock.Relazione.docx#",
     "videoscrittura di root su vm dal 06.12.2026 21:11; da qui non"},
    {"owner file", [](Model& m) { writeFile(m.documents() + "~$lazione.docx", ""); },
     Kind::DocumentProblem, kRelazione, "", kRelazione, "aperto da un altro programma: un agg"},
    {"dead update lock", [](Model& m) { writeFile(m.lock(), kDeadUpdate); }, Kind::LockFile,
     kRelazione, "", ".~lock.Relazione.docx#", "il suo processo non è più attivo"},
    {"stopped rename",
     [](Model& m) { formulas::PendingRename(m, kModel, "R0", "ROE", {kRelazione}).kept(); },
     Kind::UnfinishedRename, "", "", "", "'R0' in 'ROE' si è fermata dopo il salvataggio"}};

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
        if (row.seed)
            row.seed(model);
        const QStringList records =
            QDir(model.documents(), ".ctlIndici-rinomina-*").entryList(QDir::Files | QDir::Hidden);
        const QList<ModelFinding> found = checkModel(model, kModel);
        QCOMPARE(found.size(), row.message.isEmpty() ? 0 : 1);
        if (found.isEmpty()) { // and a model the database lacks is not whole but refused
            QVERIFY(raisedBy([&] { checkModel(model, "NESSUNO"); }).number());
            return;
        }
        QCOMPARE(found[0].kind, row.kind);
        QCOMPARE(found[0].document, row.document);
        QCOMPARE(found[0].place, row.place);
        QCOMPARE(found[0].text, row.kind == Kind::UnfinishedRename ? records.value(0) : row.text);
        QVERIFY2(found[0].message.contains(row.message), qPrintable(found[0].message));
    }
};

QTEST_MAIN(TestModelCheck)
#include "test_model_check.moc"
