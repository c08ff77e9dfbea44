// The record set as the component drives it: reading a SELECT, writing through the edit
// buffer, and what survives a conflict (database errors: the record tests). Every case runs on
// SQLite and PostgreSQL.
#include "data/Recordset.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace Qt::StringLiterals;
using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::data::Recordset;

namespace {

const QString kModelRows = u"SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BILANCIO' "_s;

void openOn(Recordset& rs, const TestDatabase& database, const QString& where, int lock = 2) {
    rs.setActiveConnection(database.db());
    rs.setCursorLocation(3);
    rs.setCursorType(3);
    rs.setLockType(lock);
    rs.Open(kModelRows + where);
}

void openIndex(Recordset& rs, const TestDatabase& database, const QString& code) {
    openOn(rs, database, u"AND KX09_CODICEINDICE='%1'"_s.arg(code));
}

QVariant stored(const TestDatabase& database, const QString& column, const QString& code) {
    return database.value(
        u"SELECT %1 FROM KX09_INDICE WHERE KX09_CODICEINDICE='%2'"_s.arg(column, code));
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void readsEveryRowAndRefusesWrites_data() { TestDatabase::addEngineRows(); }
    void readsEveryRowAndRefusesWrites() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QStringList expected;
        QSqlQuery bare(kModelRows + "ORDER BY KX09_CODICEINDICE", database.db());
        while (bare.next())
            expected.append(bare.value(0).toString() + bare.value(1).toString());
        QVERIFY(expected.size() > 3);

        Recordset rs;
        openOn(rs, database, u"ORDER BY KX09_CODICEINDICE"_s, 1);
        QCOMPARE(rs.RecordCount(), expected.size());
        QStringList seen;
        for (; !rs.Eof(); rs.MoveNext())
            seen.append(rs.Field(u"kx09_codicemodello_kx06"_s).toString() +
                        rs.Field(u"KX09_CodiceIndice"_s).toString());
        QCOMPARE(seen, expected);
        QCOMPARE(raisedBy([&] { rs.Field(u"KX09_TESTO"_s); }).number(),
                 Recordset::NoCurrentRecordNumber);
        QCOMPARE(raisedBy([&] { rs.MoveNext(); }).number(), Recordset::NoCurrentRecordNumber);
        rs.MoveFirst();
        QCOMPARE(raisedBy([&] { rs.Field(u"NESSUNA"_s); }).number(),
                 Recordset::UnknownColumnNumber);
        QCOMPARE(raisedBy([&] { rs.Open(kModelRows); }).number(), Recordset::AlreadyOpenNumber);
        QCOMPARE(raisedBy([&] { rs.setField(u"KX09_TESTO"_s, 1); }).number(),
                 Recordset::NotUpdatableNumber);
        QCOMPARE(raisedBy([&] { rs.AddNew(); }).number(), Recordset::NotUpdatableNumber);

        rs.Close();
        openIndex(rs, database, u"MANCANTE"_s);
        QVERIFY(rs.Eof());
        QCOMPARE(raisedBy([&] { rs.Field(u"KX09_TESTO"_s); }).number(),
                 Recordset::NoCurrentRecordNumber);
    }

    void nullStaysApartFromEmptyText_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<bool>("storedNull");
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("null") << QVariant() << true;
            row("typed null") << QVariant(QMetaType::fromType<QString>()) << true;
            row("empty text") << QVariant(u""_s) << false;
            row("null string") << QVariant(QString()) << false;
            row("text") << QVariant(u"àè ok"_s) << false;
        });
    }
    void nullStaysApartFromEmptyText() {
        QFETCH(QString, engine);
        QFETCH(QVariant, written);
        QFETCH(bool, storedNull);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database, u"ROE"_s);
        rs.setField(u"KX09_TESTO"_s, written);
        rs.Update();
        QCOMPARE(stored(database, u"KX09_TESTO IS NULL"_s, u"ROE"_s).toBool(), storedNull);
        rs.Close();
        openIndex(rs, database, u"ROE"_s);
        const QVariant read = rs.Field(u"KX09_TESTO"_s);
        QCOMPARE(read.isNull(), storedNull);
        QCOMPARE(read.toString(), written.toString());
    }

    // A new row gets the defaults; two saves in a row of the same columns check that the
    // second UPDATE matches the stored double, smallint, boolean and text.
    void addsThenEditsTwice_data() { TestDatabase::addEngineRows(); }
    void addsThenEditsTwice() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database, u"ROE"_s);
        rs.AddNew();
        rs.setField(u"KX09_CODICEMODELLO_KX06"_s, u"BILANCIO"_s);
        rs.setField(u"KX09_CODICEINDICE"_s, u"NUOVO"_s);
        rs.Update();
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.Field(u"KX09_CODICEINDICE"_s).toString(), u"NUOVO"_s);
        QVERIFY(!rs.Field(u"KX09_STANDARD"_s).isNull()); // the database's default
        QCOMPARE(rs.Field(u"KX09_STANDARD"_s).toBool(), false);

        for (int round = 1; round <= 2; ++round) {
            rs.setField(u"KX09_DESCRIZIONE"_s, u"Giro %1"_s.arg(round));
            rs.setField(u"KX09_VALORENORMALE"_s, round / 7.0);
            rs.setField(u"KX09_GRAFICO"_s, int(qint16(round)));
            rs.setField(u"KX09_DEFEXPRELGEST"_s, round == 1);
            rs.Update();
        }
        QVERIFY(!rs.editing());
        Recordset fresh;
        openIndex(fresh, database, u"NUOVO"_s);
        QCOMPARE(fresh.Field(u"KX09_DESCRIZIONE"_s).toString(), u"Giro 2"_s);
        QCOMPARE(fresh.Field(u"KX09_VALORENORMALE"_s).toDouble(), 2 / 7.0);
        QCOMPARE(fresh.Field(u"KX09_GRAFICO"_s).toInt(), 2);
        QCOMPARE(fresh.Field(u"KX09_DEFEXPRELGEST"_s).toBool(), false);
        QVERIFY(fresh.Field(u"KX09_TESTO"_s).isNull());
    }

    void otherUsersChange_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("otherStatement");
        QTest::addColumn<bool>("conflict");
        const QString set = u"UPDATE KX09_INDICE SET %1='Altro' WHERE KX09_CODICEINDICE='ROS'"_s;
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("same column") << set.arg(u"KX09_DESCRIZIONE"_s) << true;
            row("deleted") << u"DELETE FROM KX09_INDICE WHERE KX09_CODICEINDICE='ROS'"_s << true;
            row("other column") << set.arg(u"KX09_TESTO"_s) << false;
        });
    }
    void otherUsersChange() {
        QFETCH(QString, engine);
        QFETCH(QString, otherStatement);
        QFETCH(bool, conflict);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        Recordset rs;
        openIndex(rs, database, u"ROS"_s);
        rs.setField(u"KX09_DESCRIZIONE"_s, u"Mia"_s);
        QSqlQuery other(database.openSecondConnection());
        QVERIFY2(other.exec(otherStatement), qPrintable(other.lastError().text()));

        const RuntimeError error = raisedBy([&] { rs.Update(); });
        if (!conflict) {
            QCOMPARE(error.number(), 0);
            QCOMPARE(rs.Field(u"KX09_TESTO"_s).toString(), u"Altro"_s); // read back
            return;
        }
        QCOMPARE(error.number(), Recordset::ConflictNumber);
        QVERIFY(error.description().contains(u"altro utente"_s));
        QVERIFY(rs.editing());
        QCOMPARE(rs.Field(u"KX09_DESCRIZIONE"_s).toString(), u"Mia"_s);

        rs.CancelUpdate();
        rs.Close();
        openIndex(rs, database, u"ROS"_s);
        if (rs.Eof())
            return; // deleted: nothing to retry on
        rs.setField(u"KX09_DESCRIZIONE"_s, u"Mia"_s);
        rs.Update();
        QCOMPARE(stored(database, u"KX09_DESCRIZIONE"_s, u"ROS"_s), QVariant(u"Mia"_s));
    }
};

QTEST_MAIN(TestRecordset)
#include "test_recordset.moc"
