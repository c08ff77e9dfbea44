// The PostgreSQL server stops while the user edits an index and starts again: the save fails
// with a clear message and keeps the entries on the form, and a retry once the server is back
// stores the row exactly once, with nothing for the host to set up again; only a session that
// held the host's transaction is not opened again behind its back. The test runs its own
// server (scripts/pg-cluster), the only one it may stop.
#include "workflow/WorkflowHost.h"

#include <QProcess>
#include <QSqlQuery>

namespace {

constexpr int kNoServerInstalled = 3; // pg-cluster's exit status

} // namespace

class TestServerRestart : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    bool running = false;

    // Runs "scripts/pg-cluster command folder"; its exit status, its output in `output`.
    int cluster(const QString& command, QString* output = nullptr) {
        QProcess script;
        script.start(QStringLiteral(CTL_SOURCE_DIR "/scripts/pg-cluster"),
                     {command, folder.path()});
        if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit)
            return -1;
        if (output)
            *output = QString::fromUtf8(script.readAllStandardOutput()).trimmed();
        return script.exitCode();
    }
    void setRunning(bool value) {
        QCOMPARE(cluster(value ? QStringLiteral("resume") : QStringLiteral("halt")), 0);
        running = value;
    }

private slots:
    void initTestCase() {
        QString settings;
        const int status = cluster(QStringLiteral("start"), &settings);
        if (status == kNoServerInstalled)
            QSKIP("Nessun server PostgreSQL installato: prova del riavvio del server saltata");
        QCOMPARE(status, 0);
        running = true;
        qputenv("CTL_TEST_PG", settings.toUtf8());
    }
    void init() {
        if (!running)
            setRunning(true);
    }
    void cleanupTestCase() {
        if (QFileInfo::exists(folder.filePath(QStringLiteral("data"))))
            cluster(QStringLiteral("stop"));
    }

    void retryAfterRestartStoresOnce_data() {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<bool>("backBeforeSave"); // the server is back before the first save
        QTest::addColumn<bool>("hostTransaction");
        QTest::newRow("modifica, salvataggio a server fermo") << false << false << false;
        QTest::newRow("nuovo indice, salvataggio a server fermo") << true << false << false;
        QTest::newRow("modifica, server già ripartito") << false << true << false;
        QTest::newRow("modifica in una transazione dell'host") << false << true << true;
    }
    void retryAfterRestartStoresOnce() {
        QFETCH(bool, adding);
        QFETCH(bool, backBeforeSave);
        QFETCH(bool, hostTransaction);
        WorkflowHost host(QStringLiteral("postgresql"));
        QSqlDatabase connection = host.database.db(); // by name it would open again on its own
        if (hostTransaction)
            QVERIFY(connection.transaction());
        const QString code = adding ? QStringLiteral("NUOVO") : QStringLiteral("LIQIMM");
        const QList<std::pair<QString, QString>> entries = {
            {"txtCodice", code},
            {"txtDescrizione", "Scritto mentre il server era fermo"},
            {"txtValoreScarso", "0.25"},
            {"txtFormulaAllora", "Voce(\"CASSA\") / Voce(\"PASSCORR\")"}};
        host.perform(adding ? "ClickAddIndex" : "tbEdit");
        for (const auto& [name, text] : entries)
            host.child(name)->setProperty("text", text);

        // Each attempt: Salva (after Modifica when a failed save turned it off), then the box it
        // showed, if any, and the entries still on the form.
        BoxAnswerer answers(host.editor, {});
        const auto attempt = [&](const QString& expected) {
            if (!host.child<QAction>("tbOK")->isEnabled())
                host.perform("tbEdit");
            const qsizetype before = answers.seen.size();
            host.perform("tbOK");
            QCOMPARE(answers.seen.size(), before + (expected.isEmpty() ? 0 : 1));
            if (!expected.isEmpty())
                QVERIFY2(answers.seen.last().shown.contains(expected),
                         qPrintable(answers.seen.last().shown));
            for (const auto& [name, text] : entries)
                QCOMPARE(host.child(name)->property("text").toString(), text);
        };
        setRunning(false);
        if (backBeforeSave)
            setRunning(true);
        const QString lost = QStringLiteral("La connessione al database si è interrotta");
        attempt(lost);
        if (!backBeforeSave) {
            attempt(QStringLiteral("Impossibile riaprire la connessione al database"));
            setRunning(true);
        }
        if (hostTransaction) { // gone with the session: the host must learn it from its commit
            attempt(lost);
            QVERIFY(!connection.commit());
            return;
        }
        attempt(QString());

        QSqlQuery stored(host.database.openSecondConnection());
        QVERIFY(stored.exec(QStringLiteral("SELECT KX09_DESCRIZIONE, KX09_VALORESCARSO FROM "
                                           "KX09_INDICE WHERE KX09_CODICEINDICE = '%1'")
                                .arg(code)));
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toString(), entries[1].second);
        QCOMPARE(stored.value(1).toDouble(), 0.25);
        QVERIFY(!stored.next());
    }
};

QTEST_MAIN(TestServerRestart)
#include "test_server_restart.moc"
