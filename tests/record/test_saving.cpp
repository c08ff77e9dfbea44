// Saving the form into KX09_INDICE after loading it: edits, new rows, skipped levels, refusals
// (two users saving the same index: tests/faults).
#include "RecordFixture.h"

#include <QAction>

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    // A loaded index shows every column in the locale. An edit is written in place as typed in
    // the locale and shows again the same way; a non-numeric level is skipped with its comment;
    // the codes and the standard flag stay.
    void loadEditAndReread_data() { addEngineAndLocaleRows(); }
    void loadEditAndReread() {
        QFETCH(QString, engine);
        QFETCH(QLocale, locale);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        QLocale::setDefault(locale);
        const bool it = locale.language() == QLocale::Italian;
        TestDatabase database(engine);
        insertRow(database, "IND1");
        Editor editor(database.db());
        editor.control.LoadIndice();
        const QList<std::pair<const char*, QString>> shown{
            {"txtCodice", "IND1"},
            {"txtDescrizione", "Margine IND1"},
            {"txtTesto", "Testo\nsu due righe"},
            {"txtValoreScarso", it ? "1,5" : "1.5"},
            {"txtDescrizioneScarso", "Scarso"},
            {"txtValoreNormale", "2"},
            {"txtDescrizioneNormale", "Normale"},
            {"txtValoreBuono", it ? "1234567,25" : "1234567.25"},
            {"txtDescrizioneBuono", "Buono"},
            {"txtFormulaCondizione", "Voce(\"A\") <> 0"},
            {"txtFormulaAllora", "Voce(\"B\") / Voce(\"A\")"},
            {"txtFormulaAltrimenti", "0"},
            {"txtFormulaSimbolica", "B / A"},
            {"txtValErr", it ? "-0,5" : "-0.5"}};
        for (const auto& [name, text] : shown)
            QCOMPARE(editor.text(name), text);
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QCOMPARE(editor.relGest()->checkState(), Qt::Checked);
        QVERIFY(Probe::standard(editor.control));
        QVERIFY(!Probe::modified(editor.control));
        QVERIFY(editor.control.findChild<QAction*>("tbEdit")->isEnabled());
        QVERIFY(!editor.control.findChild<QAction*>("tbOK")->isEnabled());

        editor.type("txtCodice", "ALTRO");
        editor.type("txtDescrizione", "Margine lordo");
        editor.type("txtTesto", "");
        editor.type("txtValoreScarso", it ? "-2,75" : "-2.75");
        editor.type("txtDescrizioneScarso", "Poco");
        editor.type("txtValoreNormale", it ? "1.5" : "1,5"); // misplaced separator: skipped
        editor.type("txtDescrizioneNormale", "non salvato");
        editor.type("txtValoreBuono", it ? "1.500,5" : "1,500.5");
        editor.type("txtValErr", it ? "1,5E+20" : "1.5e+20");
        editor.chart()->setCurrentIndex(0);
        editor.relGest()->setCheckState(Qt::PartiallyChecked);
        Probe::save(editor.control);

        const QVariantMap row = storedRow(database, "IND1");
        QCOMPARE(row.value("KX09_DESCRIZIONE"), "Margine lordo");
        QVERIFY(!row.value("KX09_TESTO").isNull());
        QCOMPARE(row.value("KX09_TESTO").toString(), "");
        QCOMPARE(row.value("KX09_VALORESCARSO").toDouble(), -2.75);
        QCOMPARE(row.value("KX09_DESCRIZIONESCARSO"), "Poco");
        QCOMPARE(row.value("KX09_VALORENORMALE").toDouble(), 2.0);
        QCOMPARE(row.value("KX09_DESCRIZIONENORMALE"), "Normale");
        QCOMPARE(row.value("KX09_VALOREBUONO").toDouble(), 1500.5);
        QCOMPARE(row.value("KX09_VALERR_FORMULA").toDouble(), 1.5e20);
        QCOMPARE(row.value("KX09_GRAFICO").toInt(), 0);
        QCOMPARE(row.value("KX09_DEFEXPRELGEST").toBool(), false);
        QCOMPARE(row.value("KX09_STANDARD").toBool(), true);
        QCOMPARE(rowCount(database), 1);
        QVERIFY(!Probe::modified(editor.control));

        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtValoreScarso"), it ? "-2,75" : "-2.75");
        QCOMPARE(editor.text("txtValoreBuono"), it ? "1500,5" : "1500.5");
        QCOMPARE(editor.text("txtValErr"), it ? "1,5E+20" : "1.5e+20");
    }

    // A new index goes in as one row, into the open record set of a loaded index or into one
    // opened on the whole model; the loaded row is left as it was. Columns not written get
    // the database's defaults; an empty txtValErr stores 0.
    void addNewIndex_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("loadedFirst");
        TestDatabase::addRowsPerEngine([](auto row) {
            row("closed") << false;
            row("open") << true;
        });
    }
    void addNewIndex() {
        QFETCH(QString, engine);
        QFETCH(bool, loadedFirst);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, "IND1");
        const QVariantMap loadedRow = storedRow(database, "IND1");
        Editor editor(database.db());
        if (loadedFirst)
            editor.control.LoadIndice();
        editor.control.setAdding(true);
        editor.type("txtCodice", " NEW ");
        editor.type("txtDescrizione", "Nuovo");
        editor.type("txtValoreScarso", "abc");
        editor.type("txtDescrizioneScarso", "ignorato");
        editor.type("txtValoreNormale", "3");
        editor.type("txtFormulaAllora", "1");
        editor.type("txtValErr", "");
        editor.chart()->setCurrentIndex(-1);
        editor.relGest()->setCheckState(Qt::Checked);

        Probe::save(editor.control);

        QCOMPARE(rowCount(database), 2);
        const QVariantMap row = storedRow(database, " NEW ");
        QCOMPARE(row.value("KX09_DESCRIZIONE"), "Nuovo");
        QCOMPARE(row.value("KX09_FORMULACONDIZIONE"), "");
        QVERIFY(row.value("KX09_VALORESCARSO").isNull());
        QVERIFY(row.value("KX09_DESCRIZIONESCARSO").isNull());
        QCOMPARE(row.value("KX09_VALORENORMALE").toDouble(), 3.0);
        QVERIFY(row.value("KX09_GRAFICO").isNull());
        QCOMPARE(row.value("KX09_VALERR_FORMULA").toDouble(), 0.0);
        QCOMPARE(row.value("KX09_STANDARD").toBool(), false);
        QCOMPARE(row.value("KX09_DEFEXPRELGEST").toBool(), true);
        QCOMPARE(storedRow(database, "IND1"), loadedRow);
    }

    // Refusals keep every entry on the form and never store a row twice: a key the table
    // holds, a text too long for its column (with the database's own error number on
    // PostgreSQL), a closed record set whose code has no row.
    void refusedSavesLoseNothing_data() { TestDatabase::addEngineRows(); }
    void refusedSavesLoseNothing() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, "IND1");
        Editor editor(database.db());
        editor.control.setAdding(true);
        const auto refused = [&](int sqlState) {
            const RuntimeError error = raisedBy([&] { Probe::save(editor.control); });
            QVERIFY2(error.description().startsWith("Errore del database: "), error.what());
            if (engine == "postgresql")
                QCOMPARE(error.number(), sqlState);
        };
        editor.type("txtCodice", "IND1");
        editor.type("txtDescrizione", "Copia");
        editor.type("txtValoreBuono", "9");
        refused(23505);
        editor.type("txtCodice", "IND2");
        editor.type("txtDescrizione", QString(51, 'x'));
        refused(22001);
        QCOMPARE(rowCount(database), 1);
        QVERIFY(Probe::modified(editor.control));

        editor.type("txtDescrizione", "Copia");
        Probe::save(editor.control);
        QCOMPARE(rowCount(database), 2);
        QCOMPARE(storedRow(database, "IND2").value("KX09_VALOREBUONO").toDouble(), 9.0);

        Editor stranger(database.db(), "NONE"); // record set closed, no row for the code
        stranger.type("txtDescrizione", "Da nessuna parte");
        QVERIFY(raisedBy([&] { Probe::save(stranger.control); }).description().contains("NONE"));
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE"), "Margine IND1");
        QCOMPARE(storedRow(database, "IND2").value("KX09_DESCRIZIONE"), "Copia");
    }
};

QTEST_MAIN(TestSaving)
#include "test_saving.moc"
