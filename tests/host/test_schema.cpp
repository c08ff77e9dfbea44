// The reference schemas and the sample model, created the way the demo host creates them.
#include "data/Schema.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QRegularExpression>
#include <QSqlQuery>
#include <QtTest>

using K7X_DoruVevuzu::RuntimeError;

class TestSchema : public QObject {
    Q_OBJECT
private slots:
    void sampleModelIsComplete_data() { TestDatabase::addEngineRows(); }
    void sampleModelIsComplete() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX06_MODELLI").toInt(), 1);
        QCOMPARE(database
                     .value("SELECT COUNT(*) FROM KX09_INDICE "
                            "WHERE KX09_CODICEMODELLO_KX06='BILANCIO'")
                     .toInt(),
                 13);
        QCOMPARE(
            database.value("SELECT COUNT(*) FROM KX09_INDICE WHERE KX09_STANDARD=TRUE").toInt(), 1);
        QCOMPARE(database
                     .value("SELECT KX09_DESCRIZIONE FROM KX09_INDICE "
                            "WHERE KX09_CODICEINDICE='LIQCORR'")
                     .toString(),
                 QStringLiteral("Liquidità corrente"));
        QCOMPARE(database
                     .value("SELECT KX09_VALORENORMALE FROM KX09_INDICE "
                            "WHERE KX09_CODICEINDICE='LIQCORR'")
                     .toDouble(),
                 1.5);
        QSqlQuery documents("SELECT KX20_NOMEDOCUMENTO FROM KX20_RELAZIONI "
                            "WHERE KX20_CODICEMODELLO_KX06='BILANCIO' ORDER BY KX20_NOMEDOCUMENTO",
                            database.db());
        QStringList names;
        while (documents.next())
            names << documents.value(0).toString();
        QCOMPARE(names, QStringList({"Commento.docx", "Relazione.docx", "Sintesi.odt"}));
    }

    // Every Indice("CODE") in the sample's formulas names an index of the same model.
    void sampleReferencesExist_data() { TestDatabase::addEngineRows(); }
    void sampleReferencesExist() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QSqlQuery rows("SELECT KX09_CODICEINDICE, KX09_FORMULACONDIZIONE, KX09_FORMULAALLORA, "
                       "KX09_FORMULAALTRIMENTI FROM KX09_INDICE",
                       database.db());
        QSet<QString> codes;
        QStringList referenced;
        const QRegularExpression reference(QStringLiteral("Indice\\(\"([^\"]*)\"\\)"));
        while (rows.next()) {
            codes << rows.value(0).toString();
            for (int column = 1; column <= 3; ++column) {
                auto matches = reference.globalMatch(rows.value(column).toString());
                while (matches.hasNext())
                    referenced << matches.next().captured(1);
            }
        }
        QVERIFY(referenced.size() >= 5);
        for (const QString& code : std::as_const(referenced))
            QVERIFY2(codes.contains(code), qPrintable(code));
    }

    // The sample speaks the host's formula language: its engine accepts every formula.
    void sampleFormulasAreAccepted_data() { TestDatabase::addEngineRows(); }
    void sampleFormulasAreAccepted() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        K7XBO_Global::CGlobal service(database.db());
        K7XBO_Global::CFormulaEngine formulas;
        formulas.GlobalService(&service);
        formulas.ModelCode(QStringLiteral("BILANCIO"));
        QSqlQuery rows("SELECT KX09_CODICEINDICE, KX09_FORMULACONDIZIONE, KX09_FORMULAALLORA, "
                       "KX09_FORMULAALTRIMENTI FROM KX09_INDICE",
                       database.db());
        while (rows.next()) {
            for (int column = 1; column <= 3; ++column) {
                QString formula = rows.value(column).toString();
                if (formula.isEmpty())
                    continue;
                const QString message = formulas.CheckFormula(formula);
                QVERIFY2(message.isEmpty(), qPrintable(rows.value(0).toString() + ": " + message));
            }
        }
    }

    // A script that fails half-way leaves the database as it was.
    void failingScriptChangesNothing_data() { TestDatabase::addEngineRows(); }
    void failingScriptChangesNothing() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('BILANCIO')");
        try {
            K7X_DoruVevuzu::data::loadSampleModel(database.db());
            QFAIL("the sample model was loaded over an existing model");
        } catch (const RuntimeError& error) {
            QVERIFY2(error.description().contains("sample.sql"), error.what());
        }
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
        const QStringList statements{
            "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE) "
            "VALUES ('BILANCIO', 'UNDICICHARS')",
            "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE) "
            "VALUES ('NESSUNO', 'X')",
            "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE) "
            "VALUES ('BILANCIO', 'ROE')",
            "INSERT INTO KX20_RELAZIONI (KX20_CODICEMODELLO_KX06, KX20_NOMEDOCUMENTO) "
            "VALUES ('NESSUNO', 'Relazione.docx')",
        };
        const QStringList names{"code too long", "unknown model", "duplicate code",
                                "document of unknown model"};
        for (const QString& engine : TestDatabase::engines()) {
            for (qsizetype i = 0; i < statements.size(); ++i)
                QTest::addRow("%s/%s", qPrintable(engine), qPrintable(names[i]))
                    << engine << statements[i];
        }
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
