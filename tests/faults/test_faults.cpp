// Faults while the component works: a document update killed at random moments, two processes
// saving one index at once, the PostgreSQL server stopped during an edit and started again.
#include "documents/DocumentLocks.h"
#include "faults/Checks.h"
#include "record/IndexRecord.h"

#include <K7X_DoruVevuzu/IndexRename.h>

#include <QSysInfo>

#include <iostream>

#include <sys/resource.h>

using checks::json;

// A lock file written by the word processor (Writer 7.4) holding a document open.
const QString kWriterLock = CTL_SOURCE_DIR "/tests/data/locks/writer-7.4.lock";

namespace {

// A host's component run by JSON commands: {"update":[folder, old, new]} (UpdateDocFormulas) or
// "rename" (the rename service), {"edit":{field:text}} (LoadIndice, Modifica, writes), {"save":
// [field]} (Salva, answering the boxes' texts and the fields shown); "error" holds any failure.
struct Session {
    QVariantMap run(const QVariantMap& command) {
        const QStringList update = command.value("update", command.value("rename")).toStringList();
        const QVariantMap fields = command.value("edit").toMap();
        QVariantMap reply{{"error", ""}};
        try {
            BoxAnswerer answers(editor);
            if (QString from = update.value(1), to = update.value(2); !to.isEmpty()) {
                service->setAppPath(update[0]);
                if (command.contains("rename"))
                    K7X_DoruVevuzu::renameIndex(*service, "BILANCIO", from, to);
                else
                    editor->UpdateDocFormulas(from, to);
            } else if (!fields.isEmpty()) {
                editor->LoadIndice();
                editor->findChild<QAction*>("tbEdit")->trigger();
                for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                    editor->findChild<QWidget*>(it.key())->setProperty("text", *it);
            } else {
                auto* save = editor->findChild<QAction*>("tbOK");
                if (!save->isEnabled())
                    editor->findChild<QAction*>("tbEdit")->trigger();
                save->trigger();
                const QByteArray shown = checks::shownBy(editor, command["save"].toStringList());
                reply.insert({{"boxes", answers.texts()}, {"fields", QString::fromUtf8(shown)}});
            }
        } catch (const RuntimeError& failure) {
            reply["error"] = failure.description();
        }
        return reply;
    }
    ctlIndici* editor;
    K7XBO_Global::CGlobal* service;
};

// This program run as a worker on a test's database: JSON lines in and out.
struct Worker : QProcess {
    explicit Worker(const TestDatabase& database) {
        setProcessChannelMode(ForwardedErrorChannel);
        start(QCoreApplication::applicationFilePath(),
              {"worker", database.engine(), database.db().databaseName()});
    }
    Worker& send(const QVariantMap& command) {
        write(json(command) + '\n');
        waitForBytesWritten();
        return *this;
    }
    QVariantMap reply() {
        while (!canReadLine() && waitForReadyRead(60000)) {
        }
        const QVariantMap answer = QJsonDocument::fromJson(readLine()).object().toVariantMap();
        return answer.isEmpty() ? QVariantMap{{"error", "nessuna risposta"}} : answer;
    }
    QString failure() { return reply()["error"].toString(); }
    // Ends its input: whether it then exited cleanly (no sanitizer report either).
    bool finish() {
        closeWriteChannel();
        return waitForFinished(30000) && exitStatus() == NormalExit && exitCode() == 0;
    }
};

// The worker: a Session on BILANCIO's LIQIMM; its first answer tells whether it opened the
// database. Allowed few descriptors, an update stages most documents in named temporary files.
int work(const QStringList& arguments) {
    const rlimit few{96, 96};
    ::setrlimit(RLIMIT_NOFILE, &few);
    QSqlDatabase db;
    const QString failure =
        raisedBy([&] { db = TestDatabase::connect(arguments[2], arguments[3]); }).description();
    K7XBO_Global::CGlobal service(db);
    QWidget window;
    Session session{new ctlIndici(&window), &service};
    session.editor->setCGlobal(&service);
    session.editor->setCodiceModello(QStringLiteral("BILANCIO"));
    session.editor->setCodiceIndice(QStringLiteral("LIQIMM"));
    window.show();
    std::cout << json({{"error", failure}}).toStdString() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        const QJsonDocument command = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        std::cout << json(session.run(command.object().toVariantMap())).toStdString() << std::endl;
    }
    return 0;
}

constexpr int kDocuments = 50;

// BILANCIO's report documents, every fifth an .odt, listed in a database of their own.
struct Reports {
    explicit Reports(int count, const QString& engine = "sqlite") : database(engine), count(count) {
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('BILANCIO')");
        QDir(fixtures.folder()).mkpath(docs);
        copyAll();
    }
    // Copies every document afresh, and puts back the indices A1 and C3, each naming the other.
    void copyAll() {
        database.exec("DELETE FROM KX09_INDICE");
        database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                      "KX09_DESCRIZIONE, KX09_FORMULAALLORA) VALUES ('BILANCIO', 'A1', 'a', "
                      "'Indice(\"C3\") + 1'), ('BILANCIO', 'C3', 'c', 'Indice(\"A1\") * 2')");
        paths.clear();
        for (int n = 0; n < count; ++n) {
            const QString name =
                QStringLiteral("relazione%1.%2").arg(n).arg(n % 5 ? "docx" : "odt");
            paths << fixtures.copy("lo-report." + name.section(u'.', 1), docs + u'/' + name);
            database.exec(
                "INSERT INTO KX20_RELAZIONI VALUES ('BILANCIO', ?) ON CONFLICT DO NOTHING", {name});
        }
    }
    QDir folder() const { return QDir(fixtures.folder()).filePath(docs); }
    QStringList files() const { return folder().entryList(QDir::Files | QDir::Hidden); }
    QList<Parts> parts() const {
        QList<Parts> all(paths.size());
        for (qsizetype i = 0; i < paths.size(); ++i)
            for (const PackageEntry& entry : packageEntries(paths[i]))
                all[i].append({entry.name, entry.content});
        return all;
    }
    QVariantMap update(const QString& from, const QString& to,
                       const QString& how = "update") const {
        return {{how, QStringList{fixtures.folder(), from, to}}};
    }
    // Every document's stories, then the indices' codes and formulas.
    QList<QStringList> state() const {
        QList<QStringList> all;
        for (const QString& path : paths)
            all << storiesOf(path);
        QSqlQuery rows("SELECT KX09_CODICEINDICE || KX09_FORMULAALLORA FROM KX09_INDICE ORDER BY 1",
                       database.db());
        for (all << QStringList(); rows.next();)
            all.last() << rows.value(0).toString();
        return all;
    }
    TestDatabase database;
    DocumentFixtures fixtures;
    const QString docs = K7XBO_Global::CDocFields::instance().DocFolder();
    int count;
    QStringList paths;
};

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir cluster; // serverRestart's own PostgreSQL server, the only one it may stop

    // Runs "scripts/pg-cluster command folder": its exit status (3: no server installed).
    int pgCluster(const QString& command) {
        return QProcess::execute(QStringLiteral(CTL_SOURCE_DIR "/scripts/pg-cluster"),
                                 {command, cluster.path()});
    }

private slots:
    void cleanupTestCase() { pgCluster(QStringLiteral("stop")); }

    // An update or a rename killed at random: each document as it was or as a whole update leaves
    // it, locks in the word processor's format; the next update takes over and finishes the job.
    void killedUpdate_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("update") << "update";
        QTest::newRow("rename") << "rename";
    }
    void killedUpdate() {
        QFETCH(QString, how);
        Reports reports(kDocuments);
        const QList<QStringList> stories = reports.state(); // as first written (then the indices)
        const QList<Parts> before = reports.parts();
        const QString to = how == "rename" ? "MARGINE" : "MARGINE_OPERATIVO_NETTO"; // fits a code
        const QVariantMap update = reports.update("A1", to, how);
        auto worker = std::make_unique<Worker>(reports.database);
        QCOMPARE(worker->failure(), QString()); // it has opened the database
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(worker->send(update).failure(), QString());
        const qint64 span = clock.elapsed(); // of a whole update: the kills are spread over it
        QCOMPARE(checks::renamedIn(reports.paths, stories, "A1", to), kDocuments);
        QCOMPARE(reports.files().size(), kDocuments);
        const QList<Parts> after = reports.parts();
        // A lock file's host and profile when it has the word processor's shape (tests/data/locks).
        const auto holderOf = [](const QString& lock) {
            static const QRegularExpression line(
                R"(^,[^,;]+,([^,;]+),\d\d\.\d\d\.\d{4} \d\d:\d\d,([^;]+);$)");
            return line.match(bytesOf(lock)).capturedTexts().mid(1);
        };
        QCOMPARE(holderOf(kWriterLock), QStringList({"vm", "file:///tmp/lotest/profile"}));
        const QStringList updater{QSysInfo::machineHostName(),
                                  K7X_DoruVevuzu::documents::kUpdateMarker};
        int unfinished = 0, stale = 0; // rounds killed before the update's end, holding locks
        int finished = 0; // renames killed between their commit and their documents' end
        for (int round = 0; round < FAULT_ROUNDS && !QTest::currentTestFailed(); ++round) {
            reports.copyAll();
            worker->send(update);
            QThread::msleep(
                static_cast<unsigned long>(QRandomGenerator::global()->bounded(span + 1)));
            worker->kill(); // SIGKILL: no handler, no clean-up
            worker->waitForFinished();
            worker = std::make_unique<Worker>(reports.database); // starts during the check
            const QList<Parts> now = reports.parts();
            for (qsizetype i = 0; i < kDocuments; ++i)
                QVERIFY2(now[i] == before[i] || now[i] == after[i], qPrintable(reports.paths[i]));
            unfinished += now != after;
            const QStringList locks = reports.files().filter(".~lock.");
            for (const QString& lock : locks)
                QCOMPARE(holderOf(reports.folder().filePath(lock)), updater);
            QCOMPARE(worker->failure(), QString());
            stale += !locks.isEmpty();
            if (how == "update" && locks.isEmpty())
                continue;
            // The next update takes the locks over, or finishes what a rename committed.
            const QVariant renamed = reports.database.value(
                "SELECT 1 FROM KX09_INDICE WHERE KX09_CODICEINDICE = ?", {to});
            const bool committed = how == "update" || renamed.isValid();
            finished += how == "rename" && committed && now != after;
            QCOMPARE(worker->send(how == "update" ? update : reports.update("X1", "X2")).failure(),
                     QString());
            QVERIFY(reports.parts() == (committed ? after : before));
            QCOMPARE(reports.files().size(), kDocuments);
        }
        qInfo("%d rounds, %s %lld ms, %d unfinished, %d with locks, %d finished after the commit",
              FAULT_ROUNDS, qPrintable(how), span, unfinished, stale, finished);
        QVERIFY(unfinished > 0 && stale > 0);
        QVERIFY(worker->finish());
    }

    // Two hosts renaming two indices over the same documents at once lose neither; a word
    // processor's lock or another machine's update stops one before any write, naming its holder.
    void racingUpdates_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("engine");
        QTest::newRow("update") << QString("update") << QString("sqlite");
        for (const QString& engine : TestDatabase::engines())
            QTest::addRow("rename %s", qPrintable(engine)) << "rename" << engine;
    }
    void racingUpdates() {
        QFETCH(QString, how);
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Reports reports(40, engine);
        Worker workers[2]{Worker(reports.database), Worker(reports.database)};
        const QVariantMap renames[2] = {reports.update("A1", "B2", how),
                                        reports.update("C3", "D4", how)};
        for (Worker& worker : workers)
            QCOMPARE(worker.failure(), QString()); // it has opened the database
        QList<QStringList> renamed[3]; // by the first, the second, both, one after the other
        for (int by = 1; by <= 3; ++by) {
            reports.copyAll();
            for (int k = 0; k < 2; ++k)
                if (by & (1 << k))
                    QCOMPARE(workers[k].send(renames[k]).failure(), QString());
            renamed[by - 1] = reports.state();
        }
        QVERIFY(renamed[0] != renamed[2] && renamed[1] != renamed[2]);
        int both = 0;
        for (int round = 0; round < FAULT_ROUNDS && !QTest::currentTestFailed(); ++round) {
            reports.copyAll();
            workers[0].send(renames[0]);
            workers[1].send(renames[1]);
            const QString failures[2] = {workers[0].failure(), workers[1].failure()};
            const int by = failures[0].isEmpty() + 2 * failures[1].isEmpty();
            QVERIFY2(by > 0, qPrintable(failures[0] + u'|' + failures[1]));
            QCOMPARE(reports.state(), renamed[by - 1]);
            both += by == 3;
        }
        qInfo("%d rounds, both renames in %d", FAULT_ROUNDS, both);
        reports.copyAll();
        const QList<Parts> before = reports.parts();
        const QList<QStringList> state = reports.state();
        const QString held =
            (how == "update" ? "Errore in fase di aggiornamento dei documenti.\r\n" : "") +
            QString("Impossibile aggiornare 'relazione7.docx': ");
        const QStringList holders[] = {
            {bytesOf(kWriterLock), "è aperto da root su vm dal 06.12.2026 21:11"},
            {",rverdi,pc-remoto,06.12.2026 09:42," + K7X_DoruVevuzu::documents::kUpdateMarker + ';',
             "lo sta aggiornando rverdi su pc-remoto dal 06.12.2026 09:42; se quell'aggiornamento "
             "non è più in corso, eliminare il file '.~lock.relazione7.docx#' accanto al "
             "documento"}};
        for (const QStringList& holder : holders) {
            writeFile(reports.folder().filePath(".~lock.relazione7.docx#"), holder[0].toUtf8());
            workers[0].send(renames[0]);
            if (how == "rename" && holder == holders[1]) { // another user, while the rename waits
                QTest::qWait(1500);
                reports.database.exec(engine == "sqlite" ? "PRAGMA busy_timeout = 3000"
                                                         : "SET lock_timeout = 3000");
                reports.database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                                      "KX09_CODICEINDICE) VALUES ('BILANCIO', 'ALTRO')");
                reports.database.exec("DELETE FROM KX09_INDICE WHERE KX09_CODICEINDICE = 'ALTRO'");
            }
            QCOMPARE(workers[0].failure(), held + holder[1]);
            QVERIFY(reports.parts() == before && reports.state() == state);
        }
        QVERIFY(workers[0].finish() && workers[1].finish());
    }

    // A worker and this process edit LIQIMM and save at once, race after race on each engine: one
    // save is stored whole, the other refused with the conflict message keeps its entries.
    void racingSaves_data() { TestDatabase::addEngineRows(); }
    void racingSaves() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine);
        Worker worker(host.database);
        QCOMPARE(worker.failure(), QString());
        const QString conflict = QStringLiteral(
            "Errore in fase di chiusura!\r\nIl record è stato modificato o eliminato da un altro "
            "utente: ricaricare l'indice prima di salvare.\r\nError n. %1");
        QStringList fields{"txtDescrizione", "txtTesto", "txtValErr"};
        for (const char* level : {"Scarso", "Normale", "Buono"})
            fields << QString("txtDescrizione") + level << QString("txtValore") + level;
        Session session{host.editor, &host.service};
        for (int race = 0; race < FAULT_ROUNDS; ++race) {
            QVariantMap entries[2]; // this process's, the worker's: every value its own
            for (int i = 0; i < 2 * fields.size(); ++i)
                entries[i % 2][fields[i / 2]] = QString::number(race * 100 + i);
            QCOMPARE(worker.send({{"edit", entries[1]}}).failure(), QString());
            QCOMPARE(session.run({{"edit", entries[0]}})["error"].toString(), QString());
            worker.send({{"save", fields}});
            const QVariantMap replies[2] = {session.run({{"save", fields}}), worker.reply()};
            const int stored = replies[0]["boxes"].toStringList().isEmpty() ? 0 : 1;
            QCOMPARE(
                replies[0]["boxes"].toStringList() + replies[1]["boxes"].toStringList(),
                QStringList(conflict.arg(K7X_DoruVevuzu::record::IndexRecord::ConflictNumber)));
            QCOMPARE(replies[!stored]["fields"].toByteArray(), json(entries[!stored])); // kept
            QCOMPARE(checks::storedIn(host.database.db(), "BILANCIO", "LIQIMM", fields),
                     json(entries[stored]));
        }
        QVERIFY(worker.finish());
    }

    // The server stops during an edit: each Salva meanwhile fails clearly, keeping the entries; the
    // first after the restart stores the row, unless the host's transaction was open.
    void serverRestart_data() {
        QTest::addColumn<bool>("adding");          // a new index, or Modifica
        QTest::addColumn<bool>("hostTransaction"); // open when the server stops
        QTest::addColumn<int>("savesWhileDown");
        QTest::newRow("modifica, a server fermo") << false << false << 2;
        QTest::newRow("nuovo, a server fermo") << true << false << 2;
        QTest::newRow("modifica, server ripartito") << false << false << 0;
        QTest::newRow("transazione dell'host") << false << true << 0;
    }
    void serverRestart() {
        QFETCH(bool, adding);
        QFETCH(bool, hostTransaction);
        QFETCH(int, savesWhileDown);
        if (!QFileInfo::exists(cluster.filePath(QStringLiteral("data")))) { // once for all rows
            const int status = pgCluster(QStringLiteral("start"));          // prints its connection
            if (status == 3)
                QSKIP("Nessun server PostgreSQL installato: prova del riavvio del server saltata");
            QCOMPARE(status, 0);
            qputenv("CTL_TEST_PG", "host=127.0.0.1 user=ctl dbname=postgres port=" +
                                       bytesOf(cluster.filePath(QStringLiteral("port"))).trimmed());
        }
        TestHost host(QStringLiteral("postgresql"));
        QSqlDatabase connection = host.database.db(); // by name it would open again on its own
        const int indices = host.indices();
        const QString code = adding ? "NUOVO" : "LIQIMM";
        const QVariantMap entries{{"txtCodice", code},
                                  {"txtDescrizione", "Scritto mentre il server era fermo"},
                                  {"txtValoreScarso", "0.25"},
                                  {"txtFormulaAllora", "Voce(\"CASSA\") / Voce(\"PASSCORR\")"}};
        Session session{host.editor, &host.service};
        QVERIFY(!hostTransaction || connection.transaction());
        adding ? host.editor->ClickAddIndex() : host.tool("tbEdit");
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            host.set(it.key(), it->toString());
        const auto save = [&](bool stored) { // Salva: no box when stored, else one clear box
            const QVariantMap saved = session.run({{"save", entries.keys()}});
            const QStringList texts = saved["boxes"].toStringList();
            QVERIFY2(stored ? texts.isEmpty()
                            : texts.size() == 1 && texts[0].contains("interrotta"),
                     qPrintable(texts.join(u'|')));
            QCOMPARE(saved["fields"].toByteArray(), json(entries)); // the entries kept
        };
        QCOMPARE(pgCluster("halt"), 0);
        for (int k = 0; k < savesWhileDown; ++k)
            save(false);
        QCOMPARE(pgCluster("resume"), 0);
        for (int k = 0; k < (hostTransaction ? 2 : 1); ++k)
            save(!hostTransaction);
        if (hostTransaction) {
            QVERIFY(!connection.commit());
            return;
        }
        QCOMPARE(checks::storedIn(host.database.openSecondConnection(), "BILANCIO", code,
                                  entries.keys()),
                 json(entries));
        QCOMPARE(host.indices(), indices + adding);
    }
};

// The test, or with the arguments "worker engine database" a worker.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (application.arguments().value(1) == u"worker")
        return work(application.arguments());
    TestFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_faults.moc"
