// Where an index is used and renaming it, through the service a host calls, over the sample model
// and its report documents on each engine: what the preview lists is what the rename writes, and
// a rename that fails leaves the database and every document as they were.
#include "documents/DocumentFixtures.h"
#include "faults/Checks.h"
#include "formulas/PendingRenames.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/IndexRename.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

using namespace K7X_DoruVevuzu;
using Places = QList<IndexReference>;

namespace {

const QString kModel = QStringLiteral("BILANCIO");

// The sample model with its report documents and two of the engine's fixtures.
struct Model : DocumentFixtures, TestDatabase, K7XBO_Global::CGlobal {
    explicit Model(const QString& engine) : TestDatabase(engine, true), CGlobal(db()) {
        setAppPath(folder());
        QDir(folder()).mkdir(docs());
        for (const QString& name :
             QDir(CTL_SOURCE_DIR "/apps/demo/documents").entryList(QDir::Files))
            QFile::copy(CTL_SOURCE_DIR "/apps/demo/documents/" + name, documents() + name);
        for (const char* fixture : {"lo-report.docx", "awkward.odt"}) {
            copy(fixture, docs() + u'/' + fixture);
            exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {kModel, fixture});
        }
    }
    static QString docs() { return K7XBO_Global::CDocFields::instance().DocFolder(); }
    QString documents() const { return folder() + u'/' + docs() + u'/'; }
    // Every formula of the model by "code.column".
    QMap<QString, QString> formulas() const {
        QMap<QString, QString> all;
        QSqlQuery rows(db());
        rows.exec("SELECT * FROM KX09_INDICE");
        while (rows.next())
            for (const char* column :
                 {"KX09_FORMULACONDIZIONE", "KX09_FORMULAALLORA", "KX09_FORMULAALTRIMENTI"})
                all[rows.value("KX09_CODICEINDICE").toString() + '.' + column] =
                    rows.value(column).toString();
        return all;
    }
    // Every story of every listed document by "document|story name".
    QMap<QString, QString> stories() const {
        QMap<QString, QString> all;
        for (const QString& name : QDir(documents()).entryList(QDir::Files)) {
            const auto document = documents::Document::open(documents() + name);
            for (int story = 0; story < document->storyCount(); ++story)
                all[name + '|' + document->storyName(story)] =
                    document->text(story, 0, document->storyLength(story));
        }
        return all;
    }
};

// A rename of ROE to `to` refused or failed (by `fault`): part of its message, whether the preview
// refuses it too, and a field the usage still lists (document|story|field).
enum class Fault { None, Across, Database };
struct Failure {
    const char* name;
    Fault fault;
    QString to, message;
    bool previewRefuses;
    const char* listed = "";
};
const Failure kFailures[] = {
    {"ROI", Fault::None, "ROI", "Codice esistente.", true},
    {"ros", Fault::None, "ros", "Codice esistente.", true},
    {"vuoto", Fault::None, " ", "Inserire il codice.", true},
    {"ABCDEFGHIJK", Fault::None, "ABCDEFGHIJK", "al massimo 10 caratteri", true},
    {"database", Fault::Database, "REDD", "guasto simulato", false},
    {"across", Fault::Across, "REDD",
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
    // Every place the usage lists is one the preview changes; after the rename each formula and
    // field listed reads as the preview said, and nothing else changed.
    void previewIsWhatTheRenameWrites_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        for (const QString& engine : TestDatabase::engines())
            for (const auto& [from, to] :
                 {std::pair("ROE", "REDD"), {"ROI", "roi"}, {"LIQCORR", " LIQ.C "}, {"A1", "B2"}})
                QTest::addRow("%s %s", qPrintable(engine), from) << engine << from << to;
    }
    void previewIsWhatTheRenameWrites() {
        QFETCH(QString, engine);
        QFETCH(QString, from);
        QFETCH(QString, to);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        if (from == "A1") // an index only the fixtures name
            model.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                       "KX09_DESCRIZIONE) VALUES (?, 'A1', 'a')",
                       {kModel});
        const Places usage = indexUsage(model, kModel, from);
        const Places preview = renamePreview(model, kModel, from, to);
        QVERIFY(!preview.isEmpty());
        QCOMPARE(placesOf(preview), placesOf(usage));
        for (const IndexReference& place : usage)
            QCOMPARE(place.after, place.before);
        QMap<QString, QString> formulas = model.formulas(), stories = model.stories();
        QMap<QString, qsizetype> searched; // where each story's next listed field is looked for
        for (const IndexReference& place : preview) {
            QString& text = place.document.isEmpty() ? formulas[place.place]
                                                     : stories[place.document + '|' + place.place];
            const qsizetype at =
                place.document.isEmpty()
                    ? 0
                    : text.indexOf(place.before, searched[place.document + place.place]);
            QVERIFY2(at >= 0 && (place.document.size() || text == place.before),
                     qPrintable(place.before));
            text.replace(at, place.before.size(), place.after);
            searched[place.document + place.place] = at + place.after.size();
        }
        for (const QString& column : formulas.keys().filter(QRegularExpression('^' + from + "\\.")))
            formulas[to.trimmed() + column.mid(from.size())] = formulas.take(column);
        renameIndex(model, kModel, from, to);
        QCOMPARE(model.formulas(), formulas);
        QCOMPARE(model.stories(), stories);
    }

    // A rename refused or failed anywhere before its commit leaves everything as it was; the
    // preview refuses what it knows the rename would refuse, and the usage still lists a field
    // the rename refuses.
    void failedRenameChangesNothing_data() { TestDatabase::addEngineRows(kFailures); }
    void failedRenameChangesNothing() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        const Failure& row = kFailures[entry];
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
        const QMap<QString, QString> formulas = model.formulas();
        const auto files = snapshot(model.folder());
        const QString failure =
            raisedBy([&] { renameIndex(model, kModel, "ROE", row.to); }).description();
        QVERIFY2(failure.contains(row.message), qPrintable(failure));
        if (row.previewRefuses)
            QCOMPARE(raisedBy([&] { renamePreview(model, kModel, "ROE", row.to); }).description(),
                     failure);
        QVERIFY(!*row.listed || placesOf(indexUsage(model, kModel, "ROE")).contains(row.listed));
        QCOMPARE(model.formulas(), formulas);
        QCOMPARE(snapshot(model.folder()), files);
    }

    // A rename stopped between its database commit and its documents (the process killed, a
    // document held) is finished by the next update or rename, each document on its own; one
    // that never committed leaves the documents as they were. Its record goes once done.
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
        const auto next = [&] {
            return raisedBy([&] {
                       QString from = "X1", to = "X2";
                       if (byRename)
                           renameIndex(model, kModel, "ROS", "ROS");
                       else
                           editor.UpdateDocFormulas(from, to);
                   })
                .description();
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
