// The record set as the component drives it, on SQLite and PostgreSQL.
#include "data/Recordset.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <QSqlQuery>

using K7X_DoruVevuzu::data::Recordset;

namespace {

// Opens `rs` as the component does on the sample's index `code` (every index when empty).
void open(Recordset& rs, const TestDatabase& database, const QString& code, int lock = 2) {
    rs.Close();
    rs.setActiveConnection(database.db());
    rs.setLockType(lock);
    rs.Open(
        "SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BILANCIO' " +
        (code.isEmpty() ? "ORDER BY KX09_CODICEINDICE" : "AND KX09_CODICEINDICE='" + code + "'"));
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void init() { CTL_SKIP_UNLESS_AVAILABLE(QTest::currentDataTag()); } // rows named by engine

    // Every row read, none past the end. A new row becomes the current one; saves keep Null apart
    // from empty text (a null QString is empty). Another user's change of a column being saved, or
    // a deletion, is refused keeping the buffer; of another column, not.
    void recordSet_data() { TestDatabase::addEngineRows(); }
    void recordSet() {
        TestDatabase database(QTest::currentDataTag(), true);
        QSqlQuery bare("SELECT KX09_CODICEINDICE FROM KX09_INDICE ORDER BY 1", database.db());
        QStringList expected, seen;
        while (bare.next())
            expected << "BILANCIO" + bare.value(0).toString();
        Recordset rs;
        open(rs, database, {}, 1);
        QVERIFY(rs.RecordCount() == expected.size() && expected.size() > 3);
        for (; !rs.Eof(); rs.MoveNext())
            seen << rs.Field("kx09_codicemodello_kx06").toString() +
                        rs.Field("KX09_CodiceIndice").toString();
        QCOMPARE(seen, expected);
        QCOMPARE(raisedBy([&] { rs.Field("KX09_TESTO"); }).number(),
                 Recordset::NoCurrentRecordNumber);
        QCOMPARE(raisedBy([&] { rs.MoveNext(); }).number(), Recordset::NoCurrentRecordNumber);

        open(rs, database, "ROE");
        rs.AddNew();
        rs.setField("KX09_CODICEMODELLO_KX06", "BILANCIO");
        rs.setField("KX09_CODICEINDICE", "NUOVO");
        rs.Update();
        QVERIFY(!rs.Field("KX09_STANDARD").isNull() && !rs.Field("KX09_STANDARD").toBool());
        const QVariant texts[]{"àè ok", QVariant(), QVariant(QMetaType::fromType<QString>()), "",
                               QString()}; // the second and third are Null
        const QString stored =
            "SELECT KX09_TESTO IS NULL FROM KX09_INDICE WHERE KX09_CODICEINDICE='NUOVO'";
        for (int round = 0; round < 5; ++round) {
            rs.setField("KX09_TESTO", texts[round]);
            rs.Update();
            const bool null = round == 1 || round == 2;
            QVERIFY(!rs.editing() && rs.Field("KX09_TESTO").isNull() == null);
            QCOMPARE(rs.Field("KX09_TESTO").toString(), texts[round].toString());
            QCOMPARE(database.value(stored).toBool(), null);
        }

        QSqlQuery other(database.openSecondConnection());
        for (const QString code : {"ROS", "ROI", "ROE"}) {
            open(rs, database, code);
            rs.setField("KX09_DESCRIZIONE", "Mia");
            const QString where = " WHERE KX09_CODICEINDICE='" + code + "'";
            QVERIFY(other.exec(code == "ROS" ? "UPDATE KX09_INDICE SET KX09_DESCRIZIONE='X'" + where
                               : code == "ROI"
                                   ? "DELETE FROM KX09_INDICE" + where
                                   : "UPDATE KX09_INDICE SET KX09_TESTO='Altro'" + where));
            const bool conflict = code != "ROE";
            const auto error = raisedBy([&] { rs.Update(); });
            QVERIFY(error.number() == (conflict ? Recordset::ConflictNumber : 0) &&
                    error.description().contains("altro utente") == conflict);
            QVERIFY(rs.editing() == conflict && rs.Field("KX09_DESCRIZIONE") == "Mia");
            QCOMPARE(rs.Field("KX09_TESTO") == "Altro", !conflict); // a saved row is read back
            rs.CancelUpdate();
            open(rs, database, code);
            if (!rs.Eof()) { // after reloading, a retry stores the entry
                rs.setField("KX09_DESCRIZIONE", "Mia");
                rs.Update();
            }
            QCOMPARE(database.value("SELECT KX09_DESCRIZIONE FROM KX09_INDICE" + where),
                     rs.Eof() ? QVariant() : QVariant("Mia"));
        }
    }
};

QTEST_MAIN(TestRecordset)
#include "test_recordset.moc"
