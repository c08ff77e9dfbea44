// Renaming an index through the service a host calls, on the sample model and its documents: the
// rename writes what the preview lists; one that fails leaves everything as it was.
#include "documents/Document.h"
#include "faults/Checks.h"
#include "formulas/PendingRenames.h"

#include <K7X_DoruVevuzu/IndexRename.h>

using namespace K7X_DoruVevuzu;
using Places = QList<IndexReference>;

namespace {

const QString kModel = QStringLiteral("BILANCIO");

// The sample model with its report documents, two engine fixtures and A1, which only they name.
struct Model : DocumentFixtures, TestDatabase, K7XBO_Global::CGlobal {
    explicit Model(const QString& engine) : TestDatabase(engine, true), CGlobal(db()) {
        exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
             "KX09_DESCRIZIONE) VALUES (?, 'A1', 'a')",
             {kModel});
        setAppPath(folder());
        QDir(folder()).mkdir(docs());
        for (const QString& name :
             QDir(CTL_SOURCE_DIR "/apps/database/documents").entryList(QDir::Files))
            QFile::copy(CTL_SOURCE_DIR "/apps/database/documents/" + name, documents() + name);
        for (const char* fixture : {"lo-report.docx", "awkward.odt"}) {
            copy(fixture, docs() + u'/' + fixture);
            exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {kModel, fixture});
        }
    }
    static QString docs() { return K7XBO_Global::CDocFields::instance().DocFolder(); }
    QString documents() const { return folder() + u'/' + docs() + u'/'; }
    // Every formula by "code.column", every story of every document by "document|story name".
    QMap<QString, QString> texts() const {
        QMap<QString, QString> all;
        QSqlQuery rows(db());
        rows.exec("SELECT * FROM KX09_INDICE");
        while (rows.next())
            for (const char* column :
                 {"KX09_FORMULACONDIZIONE", "KX09_FORMULAALLORA", "KX09_FORMULAALTRIMENTI"})
                all[rows.value("KX09_CODICEINDICE").toString() + '.' + column] =
                    rows.value(column).toString();
        for (const QString& name : QDir(documents()).entryList(QDir::Files)) {
            const auto document = documents::Document::open(documents() + name);
            for (int story = 0; story < document->storyCount(); ++story)
                all[name + '|' + document->storyName(story)] =
                    document->text(story, 0, document->storyLength(story));
        }
        return all;
    }
};

// A rename of `from` to `to`; when refused or failed (by `fault`): part of its message, whether
// the preview refuses it too, and a field the usage still lists (document|story|field).
enum class Fault { None, Across, Database };
struct Rename {
    const char* name;
    QString from, to;
    Fault fault = Fault::None;
    QString message = {};
    bool previewRefuses = false;
    const char* listed = "";
};
const Rename kRenames[] = {
    {"ROE", "ROE", "REDD"},
    {"ROI", "ROI", "roi"},
    {"LIQCORR", "LIQCORR", " LIQ.C "},
    {"A1", "A1", "B2"},
    {"to ROI", "ROE", "ROI", Fault::None, "Codice esistente.", true},
    {"to ros", "ROE", "ros", Fault::None, "Codice esistente.", true},
    {"to empty", "ROE", " ", Fault::None, "Inserire il codice.", true},
    {"too long", "ROE", "ABCDEFGHIJK", Fault::None, "al massimo 10 caratteri", true},
    {"database", "ROE", "REDD", Fault::Database, "guasto simulato"},
    {"across", "ROE", "REDD", Fault::Across,
     "Impossibile modificare il documento 'Relazione.docx': il campo attraversa la fine di un "
     "paragrafo o di una cella; riportarlo in un solo paragrafo e ripetere. Campo: "
     "'Indice(\"ROE\") *\u00B6100'.",
     true, "Relazione.docx|body|Indice(\"ROE\") *\r100"}};

// A rename left between its database commit (`committed`) and its documents, with Relazione.docx
// held by a word processor meanwhile (`held`), finished by the next rename or the next update.
struct HalfDone {
    const char* name;
    bool committed, held, byRename;
};
const HalfDone kHalfDone[] = {{"committed, update", true, false, false},
                              {"committed, rename", true, false, true},
                              {"never committed", false, false, false},
                              {"committed, one document held", true, true, true}};

QStringList placesOf(const Places& places) {
    QStringList shown;
    for (const IndexReference& place : places)
        shown << place.document + '|' + place.place + '|' + place.before;
    return shown;
}

} // namespace

class TestRename : public QObject {
    Q_OBJECT
private slots:
    // The rename writes each place the usage lists as the preview says, nothing else; one refused
    // or failed before its commit changes nothing, and the preview refuses what the rename would.
    void renameWritesWhatThePreviewSays_data() { TestDatabase::addEngineRows(kRenames); }
    void renameWritesWhatThePreviewSays() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        const Rename& row = kRenames[entry];
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        if (row.fault == Fault::Across) // the closing marker in the next paragraph
            writeDocument(model.documents() + "Relazione.docx",
                          R"(<w:p><w:r><w:t>Utile {{Indice("ROE") *</w:t></w:r></w:p>)"
                          R"(<w:p><w:r><w:t>100}} per cento</w:t></w:r></w:p>)");
        else if (row.fault == Fault::Database && engine == "sqlite")
            model.exec("CREATE TRIGGER guasto BEFORE UPDATE OF KX09_FORMULAALLORA ON KX09_INDICE "
                       "BEGIN SELECT RAISE(ABORT, 'guasto simulato'); END");
        else if (row.fault == Fault::Database) {
            model.exec("CREATE FUNCTION guasto() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION "
                       "'guasto simulato'; END $$ LANGUAGE plpgsql");
            model.exec("CREATE TRIGGER guasto BEFORE UPDATE OF KX09_FORMULAALLORA ON KX09_INDICE "
                       "FOR EACH ROW EXECUTE FUNCTION guasto()");
        }
        const Places usage = indexUsage(model, kModel, row.from);
        Places preview;
        const QString refused = raisedBy([&] {
                                    preview = renamePreview(model, kModel, row.from, row.to);
                                }).description();
        QVERIFY(!*row.listed || placesOf(usage).contains(row.listed));
        for (const IndexReference& place : usage)
            QCOMPARE(place.after, place.before);
        QMap<QString, QString> texts = model.texts();
        const auto files = snapshot(model.folder());
        if (row.message.isEmpty()) { // what the rename leaves, as the preview says
            QVERIFY(!preview.isEmpty());
            QCOMPARE(placesOf(preview), placesOf(usage));
            QMap<QString, qsizetype> searched; // where each text's next listed place is looked for
            for (const IndexReference& place : preview) {
                const QString key =
                    place.document.isEmpty() ? place.place : place.document + '|' + place.place;
                const qsizetype at = texts[key].indexOf(place.before, searched[key]);
                QVERIFY2(at >= 0 && (place.document.size() || texts[key] == place.before),
                         qPrintable(place.before));
                texts[key].replace(at, place.before.size(), place.after);
                searched[key] = at + place.after.size();
            }
            const QRegularExpression column('^' + row.from + "\\.");
            for (const QString& key : texts.keys().filter(column))
                texts[row.to.trimmed() + key.mid(row.from.size())] = texts.take(key);
        }
        const QString failure =
            raisedBy([&] { renameIndex(model, kModel, row.from, row.to); }).description();
        QVERIFY2(row.message.isEmpty() ? failure.isEmpty() : failure.contains(row.message),
                 qPrintable(failure));
        QCOMPARE(refused, row.previewRefuses ? failure : QString());
        QCOMPARE(model.texts(), texts);
        QVERIFY(row.message.isEmpty() || snapshot(model.folder()) == files);
    }

    // A rename stopped between its commit and its documents is finished by the next update or
    // rename, its record then gone; one never committed leaves the documents as they were.
    void renameLeftHalfDoneIsFinished_data() { TestDatabase::addEngineRows(kHalfDone); }
    void renameLeftHalfDoneIsFinished() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        const auto [name, committed, held, byRename] = kHalfDone[entry];
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        const QStringList documents = QDir(model.documents()).entryList(QDir::Files);
        const auto files = snapshot(model.folder());
        formulas::PendingRename(model, kModel, "ROE", "REDD", documents).kept();
        if (committed)
            model.exec("UPDATE KX09_INDICE SET KX09_CODICEINDICE='REDD' WHERE "
                       "KX09_CODICEINDICE='ROE'");
        const QString lock = model.documents() + ".~lock.Relazione.docx#";
        if (held)
            writeFile(lock, bytesOf(CTL_SOURCE_DIR "/tests/data/locks/writer-7.4.lock"));
        ctlIndici editor;
        editor.setCGlobal(&model);
        editor.setCodiceModello(kModel);
        QString from = "X1", to = "X2";
        const auto next = [&] {
            if (byRename)
                return raisedBy([&] { renameIndex(model, kModel, "ROS", "ROS"); }).description();
            return raisedBy([&] { editor.UpdateDocFormulas(from, to); }).description();
        };
        const QString failure = next();
        QVERIFY2(held ? failure.contains("non sono ancora aggiornati: Relazione.docx.")
                      : failure.isEmpty(),
                 qPrintable(failure));
        QFile::remove(lock);
        QCOMPARE(next(), QString());
        if (!committed)
            QCOMPARE(snapshot(model.folder()), files);
        int renamed = 0;
        for (const QString& name : documents) {
            QVERIFY(!committed || referencesIn(model.documents() + name, "ROE") == 0);
            renamed += referencesIn(model.documents() + name, "REDD");
        }
        QCOMPARE(renamed > 0, committed);
        QCOMPARE(QDir(model.documents(), ".ctl*").entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }
};

QTEST_MAIN(TestRename)
#include "test_rename.moc"
