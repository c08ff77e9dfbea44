// Faults while the component works: a document update killed at random moments, two processes
// saving one index at once, the PostgreSQL server stopped during an edit and started again.
#include "data/Recordset.h"
#include "faults/Checks.h"

#include <QSqlError>

#include <iostream>

using checks::json;

namespace {

// A host's side of a fault, its component run by JSON commands: {"update":[folder, old, new]},
// {"edit":{field:text}} (LoadIndice, Modifica, writes), {"save":[field]} (Salva, after Modifica
// when a failed save turned it off: answers the boxes' texts and the fields shown); "error" in
// each answer holds the text of its failure.
struct Session {
    QVariantMap run(const QVariantMap& command) {
        const QStringList update = command.value("update").toStringList();
        const QVariantMap fields = command.value("edit").toMap();
        QVariantMap reply{{"error", ""}};
        try {
            BoxAnswerer answers(editor);
            if (QString from = update.value(1), to = update.value(2); !to.isEmpty()) {
                service->setAppPath(update[0]);
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

// This program run as a worker on the database of a connection: JSON lines in and out.
struct Worker : QProcess {
    explicit Worker(const QSqlDatabase& db) {
        setProcessChannelMode(ForwardedErrorChannel);
        start(QCoreApplication::applicationFilePath(),
              {"worker", db.driverName(), db.hostName(), QString::number(db.port()), db.userName(),
               db.databaseName()});
    }
    void send(const QVariantMap& command) {
        write(json(command) + '\n');
        waitForBytesWritten();
    }
    // The next answer; its "error" is "nessuna risposta" when none comes.
    QVariantMap reply() {
        while (!canReadLine() && waitForReadyRead(60000)) {
        }
        QVariantMap answer{{"error", "nessuna risposta"}};
        answer.insert(QJsonDocument::fromJson(readLine()).object().toVariantMap());
        return answer;
    }
    QString failure() { return reply()["error"].toString(); }
    // Ends its input: whether it then exited cleanly (no sanitizer report either).
    bool finish() {
        closeWriteChannel();
        return waitForFinished(30000) && exitStatus() == NormalExit && exitCode() == 0;
    }
};

// The worker: a Session on BILANCIO's LIQIMM in the database its arguments name (driver host port
// user database); its first answer, once it is ready, tells whether it opened the database.
int work(const QStringList& arguments) {
    QSqlDatabase db = QSqlDatabase::addDatabase(arguments[2]);
    db.setHostName(arguments[3]);
    db.setPort(arguments[4].toInt());
    db.setUserName(arguments[5]);
    db.setDatabaseName(arguments[6]);
    db.open();
    K7XBO_Global::CGlobal service(db);
    QWidget window;
    Session session{new ctlIndici(&window), &service};
    session.editor->setCGlobal(&service);
    session.editor->setCodiceModello(QStringLiteral("BILANCIO"));
    session.editor->setCodiceIndice(QStringLiteral("LIQIMM"));
    window.show();
    std::cout << json({{"error", db.lastError().text()}}).toStdString() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        const QJsonDocument command = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        std::cout << json(session.run(command.object().toVariantMap())).toStdString() << std::endl;
    }
    return 0;
}

constexpr int kDocuments = 50;
// The parts of each document, names and contents.
QList<Parts> partsOf(const QStringList& paths) {
    QList<Parts> all(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i)
        for (const PackageEntry& entry : packageEntries(paths[i]))
            all[i].append({entry.name, entry.content});
    return all;
}

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

    // UpdateDocFormulas killed (SIGKILL) at random moments: every document is left as it was or
    // as a whole update leaves it, a kill leaves at most one stray file, the next update completes.
    void killedUpdate() {
        TestDatabase database(QStringLiteral("sqlite"));
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('BILANCIO')");
        DocumentFixtures fixtures;
        const QString folder = K7XBO_Global::CDocFields::instance().DocFolder();
        QVERIFY(QDir(fixtures.folder()).mkpath(folder));
        const auto copyAll = [&] { // the report documents, every fifth an .odt, listed
            QStringList paths;
            for (int n = 0; n < kDocuments; ++n) {
                const QString name =
                    QStringLiteral("relazione%1.%2").arg(n).arg(n % 5 ? "docx" : "odt");
                paths << fixtures.copy("lo-report." + name.section(u'.', 1), folder + u'/' + name);
                database.exec("INSERT OR IGNORE INTO KX20_RELAZIONI VALUES ('BILANCIO', ?)",
                              {name});
            }
            return paths;
        };
        const QStringList paths = copyAll();
        QList<QStringList> stories; // each document's, as first written
        for (const QString& path : paths)
            stories << checks::storiesOf(path);
        const QList<Parts> before = partsOf(paths);
        const QString to = QStringLiteral("MARGINE_OPERATIVO_NETTO");
        const QVariantMap update{{"update", QStringList{fixtures.folder(), "A1", to}}};
        auto worker = std::make_unique<Worker>(database.db());
        qint64 span = 0; // of a whole update: the kills are spread over it
        const auto completes = [&] {
            QCOMPARE(worker->failure(), QString()); // it has opened the database
            QElapsedTimer clock;
            clock.start();
            worker->send(update);
            QCOMPARE(worker->failure(), QString());
            span = clock.elapsed();
            QCOMPARE(checks::renamedIn(paths, stories, "A1", to), kDocuments);
        };
        completes();
        const QList<Parts> after = partsOf(paths);
        worker = std::make_unique<Worker>(database.db());
        int unfinished = 0; // rounds killed before the update's end
        for (int round = 0; round < FAULT_ROUNDS && !QTest::currentTestFailed(); ++round) {
            copyAll();
            QCOMPARE(worker->failure(), QString());
            const qint64 delay = QRandomGenerator::global()->bounded(span + 1);
            worker->send(update);
            QThread::msleep(static_cast<unsigned long>(delay));
            worker->kill(); // SIGKILL: no handler, no clean-up
            worker->waitForFinished();
            worker = std::make_unique<Worker>(database.db()); // starts during the check
            const QList<Parts> now = partsOf(paths);
            for (qsizetype i = 0; i < kDocuments; ++i)
                QVERIFY2(now[i] == before[i] || now[i] == after[i], qPrintable(paths[i]));
            unfinished += now != after;
        }
        const QDir documents(fixtures.folder() + u'/' + folder);
        const auto files = documents.entryList(QDir::Files | QDir::Hidden).size();
        qInfo("%d rounds, update %lld ms, %d unfinished", FAULT_ROUNDS, span, unfinished);
        QVERIFY(unfinished > 0 && files <= kDocuments + unfinished);
        completes();
        QCOMPARE(documents.entryList(QDir::Files).size(), kDocuments);
        QVERIFY(worker->finish());
    }

    // A worker and this process edit LIQIMM and save at once, race after race on each engine: one
    // save is stored whole, the other refused with the conflict message keeps its entries.
    void racingSaves_data() { TestDatabase::addEngineRows(); }
    void racingSaves() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine);
        Worker worker(host.database.openSecondConnection());
        QCOMPARE(worker.failure(), QString());
        const QString conflict = QStringLiteral(
            "Errore in fase di chiusura!\r\nIl record è stato modificato o eliminato da un altro "
            "utente: ricaricare l'indice prima di salvare.\r\nError n. %1");
        const QStringList fields =
            QStringLiteral("txtDescrizione txtTesto txtDescrizioneScarso txtDescrizioneNormale "
                           "txtDescrizioneBuono "
                           "txtValoreScarso txtValoreNormale txtValoreBuono txtValErr")
                .split(u' ');
        Session session{host.editor, &host.service};
        for (int race = 0; race < FAULT_ROUNDS; ++race) {
            QVariantMap entries[2]; // this process's, the worker's: every value its own
            for (int i = 0; i < 2 * fields.size(); ++i)
                entries[i % 2][fields[i / 2]] =
                    i < 10
                        ? QStringLiteral("%1 %2, gara %3").arg(fields[i / 2]).arg(i % 2).arg(race)
                        : QString::number(race * 100 + i);
            worker.send({{"edit", entries[1]}});
            QCOMPARE(worker.failure(), QString());
            QCOMPARE(session.run({{"edit", entries[0]}})["error"].toString(), QString());
            worker.send({{"save", fields}});
            const QVariantMap replies[2] = {session.run({{"save", fields}}), worker.reply()};
            const int stored = replies[0]["boxes"].toStringList().isEmpty() ? 0 : 1;
            QCOMPARE(replies[0]["boxes"].toStringList() + replies[1]["boxes"].toStringList(),
                     QStringList(conflict.arg(K7X_DoruVevuzu::data::Recordset::ConflictNumber)));
            QCOMPARE(replies[!stored]["fields"].toByteArray(), json(entries[!stored])); // kept
            host.perform("LoadIndice");
            QCOMPARE(checks::shownBy(host.editor, fields), json(entries[stored]));
            QCOMPARE(checks::storedIn(host.database.db(), "BILANCIO", "LIQIMM", fields),
                     json(entries[stored]));
        }
        QVERIFY(worker.finish());
    }

    // This test's PostgreSQL server stops while the user edits and starts again: each Salva fails
    // with a clear message and keeps the entries, a retry once the server is back stores the row
    // once; only a session in the host's transaction is not opened again behind its back.
    void serverRestart_data() {
        QTest::addColumn<QString>("steps"); // Modifica or a new index, the server, each Salva
        QTest::newRow("modifica, a server fermo") << "tbEdit halt interrotta riaprire resume ok";
        QTest::newRow("nuovo, a server fermo")
            << "ClickAddIndex halt interrotta riaprire resume ok";
        QTest::newRow("modifica, server ripartito") << "tbEdit halt resume interrotta ok";
        QTest::newRow("transazione dell'host")
            << "transaction tbEdit halt resume interrotta interrotta";
    }
    void serverRestart() {
        QFETCH(QString, steps);
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
        const QString code = steps.startsWith(u"Click") ? "NUOVO" : "LIQIMM";
        const QVariantMap entries{{"txtCodice", code},
                                  {"txtDescrizione", "Scritto mentre il server era fermo"},
                                  {"txtValoreScarso", "0.25"},
                                  {"txtFormulaAllora", "Voce(\"CASSA\") / Voce(\"PASSCORR\")"}};
        Session session{host.editor, &host.service};
        for (const QString& step : steps.split(u' ')) {
            if (step == u"halt" || step == u"resume") {
                QCOMPARE(pgCluster(step), 0);
            } else if (step == u"transaction") {
                QVERIFY(connection.transaction());
            } else if (step.startsWith(u"tb") || step.startsWith(u"Click")) {
                host.perform(step);
                for (auto it = entries.cbegin(); it != entries.cend(); ++it)
                    host.set(it.key(), it->toString());
            } else { // Salva, and a word of its one box ("ok": none)
                const QVariantMap saved = session.run({{"save", entries.keys()}});
                const QStringList texts = saved["boxes"].toStringList();
                QVERIFY2(step == u"ok" ? texts.isEmpty()
                                       : texts.size() == 1 && texts[0].contains(step),
                         qPrintable(step + u' ' + texts.join(u'|')));
                QCOMPARE(saved["fields"].toByteArray(), json(entries));
            }
        }
        if (steps.startsWith(u"transaction")) {
            QVERIFY(!connection.commit());
            return;
        }
        QCOMPARE(checks::storedIn(host.database.openSecondConnection(), "BILANCIO", code,
                                  entries.keys()),
                 json(entries));
        QCOMPARE(host.indices(), indices + (code == u"NUOVO"));
    }
};

// The test, or with the arguments "worker driver host port user database" a worker.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (application.arguments().value(1) == u"worker")
        return work(application.arguments());
    TestFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_faults.moc"
