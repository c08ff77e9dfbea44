// The record set as the component drives it: reading a SELECT, writing through the edit
// buffer, and what survives a conflict or a database error. Every case runs on SQLite and
// PostgreSQL.
#include "data/Recordset.h"
#include "support/TestDatabase.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <optional>

using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::data::Recordset;

namespace {

const QString kModelRows =
    QStringLiteral("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BILANCIO' ");

void openOn(Recordset& rs, const QSqlDatabase& db, const QString& where, int lockType = 2) {
    rs.setActiveConnection(db);
    rs.setCursorLocation(3);
    rs.setCursorType(3);
    rs.setLockType(lockType);
    rs.Open(kModelRows + where);
}

void openIndex(Recordset& rs, const QSqlDatabase& db, const QString& code) {
    openOn(rs, db, QStringLiteral("AND KX09_CODICEINDICE='%1'").arg(code));
}

template <typename Action> std::optional<RuntimeError> failure(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// Rows engine x case; the caller has added the column "engine" first.
template <typename AddRows> void perEngine(AddRows&& addRows) {
    for (const QString& engine : TestDatabase::engines())
        addRows(engine);
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void walksEveryRow_data() { TestDatabase::addEngineRows(); }
    void walksEveryRow() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QStringList expected;
        QSqlQuery bare(kModelRows + "ORDER BY KX09_CODICEINDICE", database.db());
        while (bare.next())
            expected.append(bare.value(QStringLiteral("KX09_CODICEINDICE")).toString());
        QVERIFY(expected.size() > 3);

        Recordset rs;
        openOn(rs, database.db(), QStringLiteral("ORDER BY KX09_CODICEINDICE"));
        QCOMPARE(rs.State(), int(Recordset::adStateOpen));
        QCOMPARE(rs.RecordCount(), expected.size());
        QStringList seen;
        for (; !rs.Eof(); rs.MoveNext())
            seen.append(rs.Field(QStringLiteral("kx09_CodiceIndice")).toString());
        QCOMPARE(seen, expected);
        QCOMPARE(failure([&] { rs.Field(QStringLiteral("KX09_CODICEINDICE")); })->number(),
                 Recordset::NoCurrentRecordNumber);
        QCOMPARE(failure([&] { rs.MoveNext(); })->number(), Recordset::NoCurrentRecordNumber);
        rs.MoveFirst();
        QCOMPARE(rs.Field(QStringLiteral("KX09_CODICEINDICE")).toString(), expected.first());
        QCOMPARE(failure([&] { rs.Field(QStringLiteral("NESSUNA")); })->number(),
                 Recordset::UnknownColumnNumber);
        QCOMPARE(failure([&] { rs.Open(kModelRows); })->number(), Recordset::AlreadyOpenNumber);

        rs.Close();
        openIndex(rs, database.db(), QStringLiteral("MANCANTE"));
        QVERIFY(rs.Eof());
        QCOMPARE(failure([&] { rs.Field(QStringLiteral("KX09_TESTO")); })->number(),
                 Recordset::NoCurrentRecordNumber);
    }

    void nullStaysApartFromEmptyText_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<bool>("storedNull");
        perEngine([](const QString& engine) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(engine + "/" + name)) << engine;
            };
            row("null") << QVariant() << true;
            row("typed null") << QVariant(QMetaType::fromType<QString>()) << true;
            row("empty text") << QVariant(QStringLiteral("")) << false;
            row("null string is a text") << QVariant(QString()) << false;
            row("text") << QVariant(QStringLiteral("àè ok")) << false;
        });
    }
    void nullStaysApartFromEmptyText() {
        QFETCH(QString, engine);
        QFETCH(QVariant, written);
        QFETCH(bool, storedNull);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database.db(), QStringLiteral("ROE"));
        rs.setField(QStringLiteral("KX09_TESTO"), written);
        rs.Update();
        QCOMPARE(database
                     .value("SELECT COUNT(*) FROM KX09_INDICE WHERE KX09_TESTO IS NULL AND "
                            "KX09_CODICEINDICE='ROE'")
                     .toInt(),
                 storedNull ? 1 : 0);
        rs.Close();
        openIndex(rs, database.db(), QStringLiteral("ROE"));
        const QVariant read = rs.Field(QStringLiteral("KX09_TESTO"));
        QCOMPARE(read.isNull(), storedNull);
        if (!storedNull)
            QCOMPARE(read.toString(), written.toString());
    }

    void addNewStoresAndReadsDefaults_data() { TestDatabase::addEngineRows(); }
    void addNewStoresAndReadsDefaults() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database.db(), QStringLiteral("ROE"));
        rs.AddNew();
        rs.setField(QStringLiteral("KX09_CODICEMODELLO_KX06"), QStringLiteral("BILANCIO"));
        rs.setField(QStringLiteral("KX09_CODICEINDICE"), QStringLiteral("NUOVO"));
        rs.setField(QStringLiteral("KX09_DESCRIZIONE"), QStringLiteral(""));
        rs.setField(QStringLiteral("KX09_VALORESCARSO"), 1.0 / 3.0);
        rs.setField(QStringLiteral("KX09_GRAFICO"), int(qint16(2)));
        rs.setField(QStringLiteral("KX09_DEFEXPRELGEST"), true);
        rs.Update();
        QVERIFY(!rs.editing());
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.Field(QStringLiteral("KX09_CODICEINDICE")).toString(), QStringLiteral("NUOVO"));
        QCOMPARE(rs.Field(QStringLiteral("KX09_STANDARD")).toBool(), false); // the default
        QVERIFY(!rs.Field(QStringLiteral("KX09_STANDARD")).isNull());

        Recordset fresh;
        openIndex(fresh, database.db(), QStringLiteral("NUOVO"));
        QCOMPARE(fresh.Field(QStringLiteral("KX09_DESCRIZIONE")), QVariant(QStringLiteral("")));
        QCOMPARE(fresh.Field(QStringLiteral("KX09_VALORESCARSO")).toDouble(), 1.0 / 3.0);
        QCOMPARE(fresh.Field(QStringLiteral("KX09_GRAFICO")).toInt(), 2);
        QCOMPARE(fresh.Field(QStringLiteral("KX09_DEFEXPRELGEST")).toBool(), true);
        QVERIFY(fresh.Field(QStringLiteral("KX09_TESTO")).isNull());
    }

    // Two saves in a row: the second one's WHERE matches the first one's stored values
    // (a double, a smallint, a boolean and a text).
    void editSavesTwiceAndRereads_data() { TestDatabase::addEngineRows(); }
    void editSavesTwiceAndRereads() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database.db(), QStringLiteral("ROI"));
        for (int round = 1; round <= 2; ++round) {
            rs.setField(QStringLiteral("KX09_DESCRIZIONE"), QStringLiteral("Giro %1").arg(round));
            rs.setField(QStringLiteral("KX09_VALORENORMALE"), round / 7.0);
            rs.setField(QStringLiteral("KX09_GRAFICO"), int(qint16(round)));
            rs.setField(QStringLiteral("KX09_DEFEXPRELGEST"), round == 1);
            rs.Update();
        }
        Recordset fresh;
        openIndex(fresh, database.db(), QStringLiteral("ROI"));
        QCOMPARE(fresh.Field(QStringLiteral("KX09_DESCRIZIONE")).toString(),
                 QStringLiteral("Giro 2"));
        QCOMPARE(fresh.Field(QStringLiteral("KX09_VALORENORMALE")).toDouble(), 2 / 7.0);
        QCOMPARE(fresh.Field(QStringLiteral("KX09_GRAFICO")).toInt(), 2);
        QCOMPARE(fresh.Field(QStringLiteral("KX09_DEFEXPRELGEST")).toBool(), false);
        QCOMPARE(fresh.Field(QStringLiteral("KX09_CODICEINDICE")).toString(),
                 QStringLiteral("ROI"));
    }

    void otherUsersChange_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("otherStatement");
        QTest::addColumn<bool>("conflict");
        perEngine([](const QString& engine) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(engine + "/" + name)) << engine;
            };
            row("same column changed")
                << "UPDATE KX09_INDICE SET KX09_DESCRIZIONE='Altro' WHERE KX09_CODICEINDICE='ROS'"
                << true;
            row("row deleted") << "DELETE FROM KX09_INDICE WHERE KX09_CODICEINDICE='ROS'" << true;
            row("other column changed")
                << "UPDATE KX09_INDICE SET KX09_TESTO='Altro' WHERE KX09_CODICEINDICE='ROS'"
                << false;
        });
    }
    void otherUsersChange() {
        QFETCH(QString, engine);
        QFETCH(QString, otherStatement);
        QFETCH(bool, conflict);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database.db(), QStringLiteral("ROS"));
        rs.setField(QStringLiteral("KX09_DESCRIZIONE"), QStringLiteral("Mia"));
        QSqlQuery other(database.openSecondConnection());
        QVERIFY2(other.exec(otherStatement), qPrintable(other.lastError().text()));

        const auto error = failure([&] { rs.Update(); });
        QCOMPARE(bool(error), conflict);
        if (!conflict) {
            QCOMPARE(rs.Field(QStringLiteral("KX09_TESTO")).toString(), QStringLiteral("Altro"));
            return;
        }
        QCOMPARE(error->number(), Recordset::ConflictNumber);
        QVERIFY(error->description().contains(QStringLiteral("altro utente")));
        QVERIFY(rs.editing());
        QCOMPARE(rs.Field(QStringLiteral("KX09_DESCRIZIONE")).toString(), QStringLiteral("Mia"));

        rs.CancelUpdate();
        rs.Close();
        openIndex(rs, database.db(), QStringLiteral("ROS"));
        if (rs.Eof())
            return; // deleted: nothing left to retry on
        rs.setField(QStringLiteral("KX09_DESCRIZIONE"), QStringLiteral("Mia"));
        rs.Update();
        QCOMPARE(database.value("SELECT KX09_DESCRIZIONE FROM KX09_INDICE WHERE "
                                "KX09_CODICEINDICE='ROS'"),
                 QVariant(QStringLiteral("Mia")));
    }

    void databaseErrorKeepsTheNewRow_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("postgresNumber"); // SQLSTATE
        perEngine([](const QString& engine) {
            QTest::newRow(qPrintable(engine + "/duplicate key"))
                << engine << QStringLiteral("ROE") << 23505;
            QTest::newRow(qPrintable(engine + "/too long"))
                << engine << QStringLiteral("UNDICICHARX") << 22001;
        });
    }
    void databaseErrorKeepsTheNewRow() {
        QFETCH(QString, engine);
        QFETCH(QString, code);
        QFETCH(int, postgresNumber);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database.db(), QStringLiteral("ROE"));
        rs.AddNew();
        rs.setField(QStringLiteral("KX09_CODICEMODELLO_KX06"), QStringLiteral("BILANCIO"));
        rs.setField(QStringLiteral("KX09_CODICEINDICE"), code);
        rs.setField(QStringLiteral("KX09_DESCRIZIONE"), QStringLiteral("Da non perdere"));

        const auto error = failure([&] { rs.Update(); });
        QVERIFY(error);
        QVERIFY(error->description().startsWith(QStringLiteral("Errore del database: ")));
        QVERIFY(error->number() != Recordset::ConflictNumber);
        if (engine == QLatin1String("postgresql"))
            QCOMPARE(error->number(), postgresNumber);
        QVERIFY(rs.editing());
        QCOMPARE(rs.Field(QStringLiteral("KX09_DESCRIZIONE")).toString(),
                 QStringLiteral("Da non perdere"));
        QCOMPARE(rs.RecordCount(), 1);

        rs.setField(QStringLiteral("KX09_CODICEINDICE"), QStringLiteral("CORRETTO"));
        rs.Update();
        QCOMPARE(database.value("SELECT KX09_DESCRIZIONE FROM KX09_INDICE WHERE "
                                "KX09_CODICEINDICE='CORRETTO'"),
                 QVariant(QStringLiteral("Da non perdere")));
    }

    void readOnlyRefusesWrites_data() { TestDatabase::addEngineRows(); }
    void readOnlyRefusesWrites() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openOn(rs, database.db(), QString(), 1);
        QCOMPARE(failure([&] { rs.setField(QStringLiteral("KX09_TESTO"), 1); })->number(),
                 Recordset::NotUpdatableNumber);
        QCOMPARE(failure([&] { rs.AddNew(); })->number(), Recordset::NotUpdatableNumber);
        QVERIFY(!rs.editing());
    }
};

QTEST_MAIN(TestRecordset)
#include "test_recordset.moc"
