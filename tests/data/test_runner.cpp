// The statement runner as the component and the rename service meet it on each engine: values
// that look like SQL, saves over another's change, a session the server ended, duplicate codes.
#include "documents/DocumentFixtures.h"
#include "formulas/DocumentFiles.h"
#include "record/Codes.h"
#include "record/IndexRecord.h"
#include "support/Host.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7X_DoruVevuzu/IndexRename.h>

#include <functional>
#include <map>
#include <memory>

using namespace K7X_DoruVevuzu;
using namespace Qt::StringLiterals;

namespace {

// Texts a user may type that read as SQL when spliced into a statement.
const QString kModel = QStringLiteral("M\\'--;\"?$1");
const QString kCode = QStringLiteral("\\'OR 1=1--");
const QString kRenamed = QStringLiteral("\\\\'?$1--");
const QString kDocument = QStringLiteral("R\\'--;\"?.docx");
const QStringList kTexts{QStringLiteral("a\\'b\"c--d ?$1 \\x41"), QStringLiteral("';--\\\\")};

// A save of KX09_TESTO on ROE (`text`) while another session does `otherUser` to the row: refused
// or not, and the column as then stored.
struct Save {
    const char* name;
    QVariant text;
    const char* otherUser;
    bool refused;
    QVariant stored;
};
const Save kSaves[] = {
    {"Null", QVariant(), "", false, QVariant()},
    {"vuoto", "", "", false, ""},
    {"stringa nulla", QString(), "", false, ""},
    {"cambiata", "Mio", "UPDATE KX09_INDICE SET KX09_TESTO='Altro'", true, "Altro"},
    {"eliminata", "Mio", "DELETE FROM KX09_INDICE", true, QVariant()},
    {"altra colonna", QVariant(), "UPDATE KX09_INDICE SET KX09_DESCRIZIONE='Altro'", false,
     QVariant()}};

} // namespace

class TestRunner : public QObject {
    Q_OBJECT
private slots:
    // Every kind of statement stores and reads back texts with backslashes, quotes, "--", "?"
    // and "$1" exactly, whatever standard_conforming_strings says now or said at the opening.
    void valuesNeverBecomeSql_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("openedWith"); // the session's setting when it opened
        QTest::addColumn<QString>("setTo");      // and as the host's code sets it afterwards
        QTest::newRow("sqlite") << u"sqlite"_s << QString() << QString();
        QTest::newRow("postgresql, poi off") << u"postgresql"_s << u"on"_s << u"off"_s;
        QTest::newRow("postgresql, aperta off, poi on") << u"postgresql"_s << u"off"_s << u"on"_s;
    }
    void valuesNeverBecomeSql() {
        QFETCH(QString, engine);
        QFETCH(QString, openedWith);
        QFETCH(QString, setTo);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        if (openedWith == "off")
            database.exec("ALTER DATABASE " + database.db().databaseName() +
                          " SET standard_conforming_strings = off");
        QSqlDatabase db = database.openSecondConnection();
        K7XBO_Global::CGlobal host(db); // the host's service, with one report document listed
        const DocumentFixtures files;
        host.setAppPath(files.folder());
        const QString docs = K7XBO_Global::CDocFields::instance().DocFolder();
        QDir(files.folder()).mkdir(docs);
        files.copy("lo-report.docx", docs + u'/' + kDocument);
        database.exec("INSERT INTO KX06_MODELLI VALUES (?, 'Modello')", {kModel});
        database.exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {kModel, kDocument});
        if (!setTo.isEmpty())
            QSqlQuery(db).exec("SET standard_conforming_strings = " + setTo);

        record::IndexRecord row; // written and read as the component does
        row.load(db, kModel, kCode);
        row.insert({{"KX09_CODICEMODELLO_KX06", kModel},
                    {"KX09_CODICEINDICE", kCode},
                    {"KX09_DESCRIZIONE", kTexts[0]},
                    {"KX09_FORMULAALLORA", "1"}});
        row.load(db, kModel, "B");
        row.insert({{"KX09_CODICEMODELLO_KX06", kModel},
                    {"KX09_CODICEINDICE", "B"},
                    {"KX09_FORMULAALLORA", "Indice(\"" + kCode + "\")"}});
        row.load(db, kModel, kCode);
        row.update({{"KX09_TESTO", kTexts[1]}});
        row.load(db, kModel, kCode);
        QCOMPARE(row.value("KX09_DESCRIZIONE"), QVariant(kTexts[0]));
        QCOMPARE(row.value("KX09_TESTO"), QVariant(kTexts[1]));
        QVERIFY(record::codeUsed(db, kModel, kCode.toLower(), std::nullopt));
        QVERIFY(!record::codeUsed(db, kModel, kCode, kCode));
        QCOMPARE(formulas::listedDocuments(host, kModel), QStringList(kDocument));

        QCOMPARE(indexUsage(host, kModel, kCode).value(0).place, "B.KX09_FORMULAALLORA");
        const QString after = renamePreview(host, kModel, kCode, kRenamed).value(0).after;
        QCOMPARE(after, "Indice(\"" + kRenamed + "\")");
        renameIndex(host, kModel, kCode, kRenamed);
        row.load(db, kModel, kRenamed);
        QCOMPARE(row.value("KX09_TESTO"), QVariant(kTexts[1]));
        row.load(db, kModel, "B");
        QCOMPARE(row.value("KX09_FORMULAALLORA"), QVariant(after));
    }

    // A save keeps Null apart from empty text and reads back what is stored; it is refused when
    // another user changed a column it saves or deleted the row, not for another column.
    void savesAsTheDatabaseHoldsThem_data() { TestDatabase::addEngineRows(kSaves); }
    void savesAsTheDatabaseHoldsThem() {
        QFETCH(QString, engine);
        QFETCH(int, entry);
        const Save& save = kSaves[entry];
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        record::IndexRecord row;
        row.load(database.db(), "BILANCIO", "ROE");
        if (*save.otherUser)
            QSqlQuery(database.openSecondConnection())
                .exec(save.otherUser + QString(" WHERE KX09_CODICEINDICE='ROE'"));
        const RuntimeError failure = raisedBy([&] { row.update({{"KX09_TESTO", save.text}}); });
        QCOMPARE(failure.number(), save.refused ? record::IndexRecord::ConflictNumber : 0);
        const QVariant now = database.value("SELECT KX09_TESTO FROM KX09_INDICE WHERE "
                                            "KX09_CODICEINDICE='ROE'");
        QCOMPARE(now.isNull(), save.stored.isNull());
        QCOMPARE(now.toString(), save.stored.toString());
        if (!save.refused && *save.otherUser) // the saved row is read back
            QCOMPARE(row.value("KX09_DESCRIZIONE"), QVariant("Altro"));
        raisedBy([&] { row.load(QSqlDatabase(), "BILANCIO", "ROE"); });
        QVERIFY(!row.hasRow()); // a failed load holds no row, so no save can write the one before
    }

    // The server ends the host's session: whichever call comes next opens it again, or fails
    // with a clear message when it comes in the session's last moment; the others work.
    void endedSessionComesBack_data() {
        QTest::addColumn<int>("first"); // 0 the preview, 1 the load, 2 the rename
        QTest::newRow("anteprima per prima") << 0;
        QTest::newRow("caricamento per primo") << 1;
        QTest::newRow("rinomina per prima") << 2;
    }
    void endedSessionComesBack() {
        QFETCH(int, first);
        CTL_SKIP_UNLESS_AVAILABLE("postgresql");
        TestHost host("postgresql");
        const DocumentFixtures documents; // a folder without the sample's documents
        host.service.setAppPath(documents.folder());
        const std::function<void()> calls[3]{
            [&] { renamePreview(host.service, "BILANCIO", "ROI", "RI"); },
            [&] { host.editor->LoadIndice(); },
            [&] { renameIndex(host.service, "BILANCIO", "ROE", "REDD"); },
        };
        const QVariant session = host.database.value("SELECT pg_backend_pid()");
        QSqlQuery admin(host.database.openSecondConnection());
        QVERIFY(admin.exec("SELECT pg_terminate_backend(" + session.toString() + ")"));
        const QString alive = "SELECT 1 FROM pg_stat_activity WHERE pid = " + session.toString();
        QTRY_VERIFY_WITH_TIMEOUT(admin.exec(alive) && !admin.next(), 5000); // the server ended it
        const QString failure = raisedBy(calls[first]).description();
        QVERIFY2(failure.isEmpty() || failure.contains("interrotta"), qPrintable(failure));
        for (int call = first + 1; call < first + 3; ++call)
            QCOMPARE(raisedBy(calls[call % 3]).description(), QString());
    }

    // Codes that differ only in case are one code on both engines, with the reference schema's
    // index or without it; codes that only look alike, or match as a LIKE pattern, are not.
    void duplicateTestFoldsCase_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("same");
        const std::tuple<const char*, const char*, bool> pairs[]{
            {"roe", "ROE", true}, {"äb", "ÄB", true},    {"ſa", "SA", true},
            {"Kb", "kB", true},   {"ΣΑ", "σα", true},    {"ROE", "R0E", false},
            {"ab", "äb", false},  {"A", "А", false},     {"ß", "SS", false},
            {"abc", "a%", false}, {"abc", "a_c", false}, {"a'B", "A'b", true}};
        for (const QString& engine : TestDatabase::engines())
            for (bool indexed : {true, false})
                for (const auto& [stored, typed, same] : pairs)
                    QTest::addRow("%s %s %s=%s", qPrintable(engine), indexed ? "indice" : "senza",
                                  stored, typed)
                        << engine << indexed << QString::fromUtf8(stored)
                        << QString::fromUtf8(typed) << same;
    }
    void duplicateTestFoldsCase() {
        QFETCH(QString, engine);
        QFETCH(bool, indexed);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        std::unique_ptr<TestDatabase>& database = m_databases[engine + (indexed ? "+" : "-")];
        if (!database) {
            database = std::make_unique<TestDatabase>(engine);
            database->exec("INSERT INTO KX06_MODELLI VALUES ('M', 'Modello')");
            if (!indexed)
                database->exec("DROP INDEX KX09_CODICE_CASO");
        }
        database->exec("DELETE FROM KX09_INDICE");
        database->exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE) "
                       "VALUES ('M', ?), ('M', 'ALTRO')",
                       {stored});
        QTEST(record::codeUsed(database->db(), "M", typed, std::nullopt), "same");
        QVERIFY(!record::codeUsed(database->db(), "M", typed, stored)); // the row being renamed
    }

private:
    std::map<QString, std::unique_ptr<TestDatabase>> m_databases; // by engine and index
};

QTEST_MAIN(TestRunner)
#include "test_runner.moc"
