// The reference schemas and the sample model, created the way the demo host creates them. That
// the sample's formulas are sound and name its own indices: test_formula_language.
#include "data/Schema.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <QtTest>

using K7X_DoruVevuzu::RuntimeError;

class TestSchema : public QObject {
    Q_OBJECT
private slots:
    // A script that fails half-way leaves the database as it was.
    void failingScriptChangesNothing_data() { TestDatabase::addEngineRows(); }
    void failingScriptChangesNothing() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('BILANCIO')");
        const RuntimeError error =
            raisedBy([&] { K7X_DoruVevuzu::data::loadSampleModel(database.db()); });
        QVERIFY2(error.description().contains("sample.sql"), error.what());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 0);
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX06_MODELLI").toInt(), 1);
        // The transaction was ended: the same connection loads the model once the clash is gone.
        database.exec("DELETE FROM KX06_MODELLI");
        K7X_DoruVevuzu::data::loadSampleModel(database.db());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 13);
    }

    // Both engines refuse what the form could never hold.
    void engineRefusesInvalidRows_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("statement");
        const QString index = "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                              "KX09_CODICEINDICE) VALUES ";
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("code too long") << index + "('BILANCIO', 'UNDICICHARS')";
            row("unknown model") << index + "('NESSUNO', 'X')";
            row("duplicate code") << index + "('BILANCIO', 'ROE')";
            row("document of unknown model")
                << "INSERT INTO KX20_RELAZIONI (KX20_CODICEMODELLO_KX06, KX20_NOMEDOCUMENTO) "
                   "VALUES ('NESSUNO', 'Relazione.docx')";
        });
    }
    void engineRefusesInvalidRows() {
        QFETCH(QString, engine);
        QFETCH(QString, statement);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, database.exec(statement));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
