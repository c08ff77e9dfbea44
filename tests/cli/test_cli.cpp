// The command line as a script runs it, with no display, on the sample model and its documents:
// what it prints is what the services answer, and its exit status says how it went.
#include "support/TestDatabase.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/IndexRename.h>

#include <QJsonArray>
#include <QJsonObject>

using namespace K7X_DoruVevuzu;

namespace {

// What a run of indici left.
struct Run {
    int status;
    QByteArray out;
    QByteArray err;
};

// The sample model, its documents in the application folder, and the host service over them.
struct Sample : TestDatabase, K7XBO_Global::CGlobal {
    explicit Sample(const QString& engine) : TestDatabase(engine, true), CGlobal(db()) {
        setAppPath(folder.path());
        QDir(folder.path()).mkdir("Documenti");
        const QDir samples(CTL_SOURCE_DIR "/apps/database/documents");
        for (const QString& name : samples.entryList(QDir::Files))
            QFile::copy(samples.filePath(name), folder.filePath("Documenti/" + name));
    }
    // Runs indici on this database without a display, as a script would.
    Run run(const QStringList& arguments) const {
        const QSqlDatabase db = this->db();
        const QString url = engine() == "sqlite"
                                ? "sqlite:" + db.databaseName()
                                : QString("postgresql://%1:%2@%3:%4/%5")
                                      .arg(db.userName(), db.password(), db.hostName(),
                                           QString::number(db.port()), db.databaseName());
        QProcess indici;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(display);
        environment.insert("XDG_CONFIG_HOME", folder.path()); // none of the user's settings
        indici.setProcessEnvironment(environment);
        indici.start(INDICI,
                     QStringList{"--database", url, "--app-path", folder.path()} + arguments);
        indici.waitForFinished(60000);
        return {indici.exitCode(), indici.readAllStandardOutput(), indici.readAllStandardError()};
    }
    QTemporaryDir folder;
};

// One field of every row of a JSON listing, or of the places a service gives.
QStringList column(const QByteArray& json, const QString& key) {
    QStringList cells;
    for (const QJsonValue& row : QJsonDocument::fromJson(json).array())
        cells << row.toObject()[key].toString();
    return cells;
}
QStringList column(const QList<IndexReference>& places, QString IndexReference::*field) {
    QStringList cells;
    for (const IndexReference& place : places)
        cells << place.*field;
    return cells;
}

// A command line and how indici must end on it.
struct Outcome {
    const char* name;
    QStringList arguments;
    int status;
    QString error = {}; // part of standard error
};
const Outcome kOutcomes[] = {
    {"models", {"models"}, 0},
    {"no command", {}, 2, "comando mancante"},
    {"unknown command", {"list"}, 2, "comando mancante o sconosciuto"},
    {"unknown option", {"--verbose", "models"}, 2, "verbose"},
    {"missing argument", {"usage", "BILANCIO"}, 2, "usage MODELLO CODICE"},
    {"preview of usage", {"usage", "BILANCIO", "ROE", "--preview"}, 2, "usage MODELLO CODICE"},
    {"code used", {"rename", "BILANCIO", "ROE", "ROI"}, 1, "Codice esistente."},
    {"no such index", {"rename", "BILANCIO", "NONE", "X"}, 1, "non esiste nel modello"},
    {"no such model", {"usage", "NESSUNO", "ROE"}, 1, "Il modello 'NESSUNO' non esiste"},
    {"check of no model", {"check", "NESSUNO"}, 1, "Il modello 'NESSUNO' non esiste"},
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void exitStatus_data() { TestDatabase::addEngineRows(kOutcomes); }
    void exitStatus() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        const Run run = Sample(engine).run(kOutcomes[entry].arguments);
        QCOMPARE(run.status, kOutcomes[entry].status);
        QVERIFY2(run.err.contains(kOutcomes[entry].error.toUtf8()), run.err);
    }
    // A finding is a row of the check's JSON and fails it; a document no row lists is information.
    void check_data() { TestDatabase::addEngineRows(); }
    void check() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Sample sample(engine);
        QFile(sample.folder.filePath("Documenti/Extra.odt")).open(QIODevice::WriteOnly);
        Run run = sample.run({"--json", "check", "BILANCIO"});
        QCOMPARE(run.status, 0);
        QCOMPARE(column(run.out, "kind"), QStringList{"unlisted-document"});
        sample.exec("UPDATE KX09_INDICE SET KX09_FORMULAALLORA='Indice(\"NONE\")' WHERE "
                    "KX09_CODICEINDICE='LEVA'");
        run = sample.run({"--json", "check", "BILANCIO"});
        QCOMPARE(run.status, 1);
        QCOMPARE(column(run.out, "place"), QStringList({"LEVA.KX09_FORMULAALLORA", ""}));
    }
    // The table and the JSON list the places as the services do; a preview changes nothing, the
    // rename leaves each place as the preview said, the documents' update changes them alone.
    void usageAndRename_data() { TestDatabase::addEngineRows(); }
    void usageAndRename() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Sample sample(engine);
        const QList<IndexReference> usage = indexUsage(sample, "BILANCIO", "ROE");
        const QList<QByteArray> table = sample.run({"usage", "BILANCIO", "ROE"}).out.split('\n');
        QCOMPARE(table.first().simplified(), "Documento Posizione Prima");
        QCOMPARE(table.size(), usage.size() + 3); // the header, its rule, the last line's end
        QVERIFY(table[2].endsWith(usage.first().before.toUtf8()));
        const QList<IndexReference> preview = renamePreview(sample, "BILANCIO", "ROE", "REDD");
        const Run previewed =
            sample.run({"--json", "rename", "BILANCIO", "ROE", "REDD", "--preview"});
        QCOMPARE(column(previewed.out, "place"), column(preview, &IndexReference::place));
        QCOMPARE(column(previewed.out, "after"), column(preview, &IndexReference::after));
        QCOMPARE(column(indexUsage(sample, "BILANCIO", "ROE"), &IndexReference::before),
                 column(usage, &IndexReference::before));
        QCOMPARE(sample.run({"rename", "BILANCIO", "ROE", "REDD"}).status, 0);
        QVERIFY(indexUsage(sample, "BILANCIO", "ROE").isEmpty());
        QCOMPARE(column(indexUsage(sample, "BILANCIO", "REDD"), &IndexReference::before),
                 column(preview, &IndexReference::after));
        QCOMPARE(sample.run({"update-documents", "BILANCIO", "REDD", "ROS2"}).status, 0);
        const QList<IndexReference> updated = indexUsage(sample, "BILANCIO", "ROS2");
        QCOMPARE(column(updated, &IndexReference::document),
                 column(preview, &IndexReference::document).filter(".")); // the documents' fields
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
