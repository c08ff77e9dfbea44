// Saving the form into KX09_INDICE: edits, new rows, skipped levels, refusals, conflicts.
#include "RecordFixture.h"

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    // An edit is written in place and reads back from the database as typed, in the locale.
    void saveEditAndReread_data() { addEngineAndLocaleRows(); }
    void saveEditAndReread() {
        QFETCH(QString, engine);
        QFETCH(QLocale, locale);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        LocaleScope scope(locale);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.LoadIndice();
        const bool italian = locale.language() == QLocale::Italian;

        editor.type("txtCodice", QStringLiteral("ALTRO"));
        editor.type("txtDescrizione", QStringLiteral("Margine lordo"));
        editor.type("txtTesto", QString());
        editor.type("txtValoreScarso", italian ? "-2,75" : "-2.75");
        editor.type("txtDescrizioneScarso", QStringLiteral("Poco"));
        editor.type("txtValoreBuono", italian ? "1.500,5" : "1,500.5");
        editor.type("txtFormulaSimbolica", QStringLiteral("B:A"));
        editor.type("txtValErr", italian ? "1,5E+20" : "1.5e+20");
        editor.chart()->setCurrentIndex(0);
        editor.export_()->setCheckState(Qt::PartiallyChecked);
        ctlIndiciProbe::save(editor.control);

        const QVariantMap row = storedRow(database, "IND1");
        QCOMPARE(row.value("KX09_DESCRIZIONE").toString(), QStringLiteral("Margine lordo"));
        QVERIFY(!row.value("KX09_TESTO").isNull());
        QCOMPARE(row.value("KX09_TESTO").toString(), QString());
        QCOMPARE(row.value("KX09_VALORESCARSO").toDouble(), -2.75);
        QCOMPARE(row.value("KX09_DESCRIZIONESCARSO").toString(), QStringLiteral("Poco"));
        QCOMPARE(row.value("KX09_VALORENORMALE").toDouble(), 2.0);
        QCOMPARE(row.value("KX09_VALOREBUONO").toDouble(), 1500.5);
        QCOMPARE(row.value("KX09_FORMULASIMBOLICA").toString(), QStringLiteral("B:A"));
        QCOMPARE(row.value("KX09_VALERR_FORMULA").toDouble(), 1.5e20);
        QCOMPARE(row.value("KX09_GRAFICO").toInt(), 0);
        QCOMPARE(row.value("KX09_DEFEXPRELGEST").toBool(), false);
        QCOMPARE(row.value("KX09_STANDARD").toBool(), true);
        QVERIFY(storedRow(database, "ALTRO").isEmpty());
        QVERIFY(!ctlIndiciProbe::modified(editor.control));

        // What was saved shows again as it was typed.
        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtValoreScarso"), italian ? "-2,75" : "-2.75");
        QCOMPARE(editor.text("txtValoreBuono"), italian ? "1500,5" : "1500.5");
        QCOMPARE(editor.text("txtValErr"), italian ? "1,5E+20" : "1.5e+20");
    }

    // A value box that is not a number skips its level (value and comment keep their stored
    // values); an empty or non-numeric txtValErr stores 0; nothing selected leaves the chart.
    void nonNumericSkipsItsLevel_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("valErr");
        for (const QString& engine : TestDatabase::engines()) {
            QTest::addRow("%s-empty", qPrintable(engine)) << engine << QString();
            QTest::addRow("%s-letters", qPrintable(engine)) << engine << QStringLiteral("n/d");
        }
    }
    void nonNumericSkipsItsLevel() {
        QFETCH(QString, engine);
        QFETCH(QString, valErr);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.LoadIndice();

        editor.type("txtValoreScarso", QString());
        editor.type("txtDescrizioneScarso", QStringLiteral("non salvato"));
        editor.type("txtValoreNormale", QStringLiteral("tre"));
        editor.type("txtDescrizioneNormale", QStringLiteral("non salvato"));
        editor.type("txtValoreBuono", QStringLiteral("7"));
        editor.type("txtDescrizioneBuono", QStringLiteral("salvato"));
        editor.type("txtValErr", valErr);
        editor.chart()->setCurrentIndex(-1);
        ctlIndiciProbe::save(editor.control);

        const QVariantMap row = storedRow(database, "IND1");
        QCOMPARE(row.value("KX09_VALORESCARSO").toDouble(), 1.5);
        QCOMPARE(row.value("KX09_DESCRIZIONESCARSO").toString(), QStringLiteral("Scarso"));
        QCOMPARE(row.value("KX09_VALORENORMALE").toDouble(), 2.0);
        QCOMPARE(row.value("KX09_DESCRIZIONENORMALE").toString(), QStringLiteral("Normale"));
        QCOMPARE(row.value("KX09_VALOREBUONO").toDouble(), 7.0);
        QCOMPARE(row.value("KX09_DESCRIZIONEBUONO").toString(), QStringLiteral("salvato"));
        QCOMPARE(row.value("KX09_VALERR_FORMULA").toDouble(), 0.0);
        QVERIFY(!row.value("KX09_VALERR_FORMULA").isNull());
        QCOMPARE(row.value("KX09_GRAFICO").toInt(), 2);
    }

    // A new index goes in as one row, into the open record set of a loaded index or into a
    // record set opened on the whole model; the loaded row is left as it was.
    void addNewIndex_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("loadedFirst");
        for (const QString& engine : TestDatabase::engines()) {
            QTest::addRow("%s-closed", qPrintable(engine)) << engine << false;
            QTest::addRow("%s-open", qPrintable(engine)) << engine << true;
        }
    }
    void addNewIndex() {
        QFETCH(QString, engine);
        QFETCH(bool, loadedFirst);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        const QVariantMap loadedRow = storedRow(database, "IND1");
        Editor editor(database.db());
        if (loadedFirst)
            editor.control.LoadIndice();
        editor.control.setAdding(true);
        editor.type("txtCodice", QStringLiteral(" NEW "));
        editor.type("txtDescrizione", QStringLiteral("Nuovo"));
        editor.type("txtTesto", QString());
        editor.type("txtValoreScarso", QStringLiteral("abc"));
        editor.type("txtDescrizioneScarso", QStringLiteral("ignorato"));
        editor.type("txtValoreNormale", QStringLiteral("3"));
        editor.type("txtDescrizioneNormale", QString());
        editor.type("txtValoreBuono", QString());
        editor.type("txtFormulaAllora", QStringLiteral("1"));
        editor.chart()->setCurrentIndex(-1);
        editor.export_()->setCheckState(Qt::Checked);

        ctlIndiciProbe::save(editor.control);

        QCOMPARE(rowCount(database), 2);
        const QVariantMap row = storedRow(database, " NEW ");
        QCOMPARE(row.value("KX09_CODICEMODELLO_KX06").toString(), kModel);
        QCOMPARE(row.value("KX09_DESCRIZIONE").toString(), QStringLiteral("Nuovo"));
        QCOMPARE(row.value("KX09_TESTO").toString(), QString());
        QVERIFY(!row.value("KX09_TESTO").isNull());
        QVERIFY(row.value("KX09_VALORESCARSO").isNull());
        QVERIFY(row.value("KX09_DESCRIZIONESCARSO").isNull());
        QCOMPARE(row.value("KX09_VALORENORMALE").toDouble(), 3.0);
        QVERIFY(!row.value("KX09_DESCRIZIONENORMALE").isNull());
        QVERIFY(row.value("KX09_VALOREBUONO").isNull());
        QCOMPARE(row.value("KX09_FORMULAALLORA").toString(), QStringLiteral("1"));
        QCOMPARE(row.value("KX09_FORMULACONDIZIONE").toString(), QString());
        QVERIFY(row.value("KX09_GRAFICO").isNull());
        QCOMPARE(row.value("KX09_STANDARD").toBool(), false); // the database's default
        QCOMPARE(row.value("KX09_DEFEXPRELGEST").toBool(), true);
        QCOMPARE(storedRow(database, "IND1"), loadedRow);
        QVERIFY(editor.control.Adding()); // leaving add mode is the closing protocol's
    }

    // An existing index saved with the record set closed is found by both codes; a code with
    // no row is refused with a clear error and no other row is written.
    void closedRecordSetSelectsByBothCodes_data() { TestDatabase::addEngineRows(); }
    void closedRecordSetSelectsByBothCodes() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("A")));
        insertRow(database, fullRow(QStringLiteral("IND1")));
        insertRow(database, fullRow(QStringLiteral("Z")));
        Editor editor(database.db());
        editor.control.LoadIndice();
        editor.control.UnloadIndice();
        editor.type("txtDescrizione", QStringLiteral("Dopo la chiusura"));
        ctlIndiciProbe::save(editor.control);
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE").toString(),
                 QStringLiteral("Dopo la chiusura"));

        Editor stranger(database.db(), QStringLiteral("NONE"));
        stranger.type("txtDescrizione", QStringLiteral("Da nessuna parte"));
        try {
            ctlIndiciProbe::save(stranger.control);
            QFAIL("a save without a row succeeded");
        } catch (const RuntimeError& error) {
            QVERIFY(error.description().contains(QStringLiteral("NONE")));
        }
        for (const char* code : {"A", "Z"})
            QCOMPARE(storedRow(database, code).value("KX09_DESCRIZIONE").toString(),
                     QStringLiteral("Margine %1").arg(QLatin1String(code)));
    }

    // A save the database refuses keeps every entry on the form; corrected, it stores the
    // row once.
    void refusedSaveKeepsTheEntries_data() { TestDatabase::addEngineRows(); }
    void refusedSaveKeepsTheEntries() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.setAdding(true);
        editor.type("txtCodice", QStringLiteral("IND1")); // the key is taken
        editor.type("txtDescrizione", QStringLiteral("Copia"));
        editor.type("txtValoreBuono", QStringLiteral("9"));

        QVERIFY_THROWS_EXCEPTION(RuntimeError, ctlIndiciProbe::save(editor.control));
        QCOMPARE(rowCount(database), 1);
        QCOMPARE(editor.text("txtDescrizione"), QStringLiteral("Copia"));
        QVERIFY(ctlIndiciProbe::modified(editor.control));

        editor.type("txtDescrizione", QString(51, QLatin1Char('x'))); // too long for the column
        editor.type("txtCodice", QStringLiteral("IND2"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, ctlIndiciProbe::save(editor.control));
        QCOMPARE(rowCount(database), 1);

        editor.type("txtDescrizione", QStringLiteral("Copia"));
        ctlIndiciProbe::save(editor.control);
        QCOMPARE(rowCount(database), 2);
        QCOMPARE(storedRow(database, "IND2").value("KX09_VALOREBUONO").toDouble(), 9.0);
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE").toString(),
                 QStringLiteral("Margine IND1"));
    }

    // Two components edit the same index on two connections: the first save wins, the second
    // is refused and keeps its entries; the stored row is the first one's.
    void secondEditorIsRefused_data() { TestDatabase::addEngineRows(); }
    void secondEditorIsRefused() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor first(database.db());
        Editor second(database.openSecondConnection());
        first.control.LoadIndice();
        second.control.LoadIndice();

        first.type("txtDescrizione", QStringLiteral("Prima"));
        second.type("txtDescrizione", QStringLiteral("Seconda"));
        second.type("txtValoreScarso", QStringLiteral("4"));
        ctlIndiciProbe::save(first.control);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, ctlIndiciProbe::save(second.control));

        const QVariantMap row = storedRow(database, "IND1");
        QCOMPARE(row.value("KX09_DESCRIZIONE").toString(), QStringLiteral("Prima"));
        QCOMPARE(row.value("KX09_VALORESCARSO").toDouble(), 1.5);
        QCOMPARE(second.text("txtDescrizione"), QStringLiteral("Seconda"));
        QCOMPARE(second.text("txtValoreScarso"), QStringLiteral("4"));
        QVERIFY(ctlIndiciProbe::modified(second.control));
        QCOMPARE(rowCount(database), 1);
    }
};

QTEST_MAIN(TestSaving)
#include "test_saving.moc"
