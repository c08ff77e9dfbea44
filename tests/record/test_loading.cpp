// Loading an index into the form, Nulls, missing rows, reloading and unloading, as a host
// drives the component.
#include "RecordFixture.h"

#include <QAction>

namespace {
const char* const kEmptiedBoxes[] = {"txtCodice",
                                     "txtDescrizione",
                                     "txtTesto",
                                     "txtValoreScarso",
                                     "txtValoreNormale",
                                     "txtValoreBuono",
                                     "txtFormulaCondizione",
                                     "txtFormulaAllora",
                                     "txtFormulaAltrimenti",
                                     "txtFormulaSimbolica"};
} // namespace

class TestLoading : public QObject {
    Q_OBJECT
private slots:
    void loadShowsEveryColumn_data() { addEngineAndLocaleRows(); }
    void loadShowsEveryColumn() {
        QFETCH(QString, engine);
        QFETCH(QLocale, locale);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        LocaleScope scope(locale);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());

        editor.control.LoadIndice();

        const bool italian = locale.language() == QLocale::Italian;
        const QList<std::pair<const char*, QString>> expected{
            {"txtCodice", "IND1"},
            {"txtDescrizione", "Margine IND1"},
            {"txtTesto", "Testo\nsu due righe"},
            {"txtValoreScarso", italian ? "1,5" : "1.5"},
            {"txtDescrizioneScarso", "Scarso"},
            {"txtValoreNormale", "2"},
            {"txtDescrizioneNormale", "Normale"},
            {"txtValoreBuono", italian ? "1234567,25" : "1234567.25"},
            {"txtDescrizioneBuono", "Buono"},
            {"txtFormulaCondizione", "Voce(\"A\") <> 0"},
            {"txtFormulaAllora", "Voce(\"B\") / Voce(\"A\")"},
            {"txtFormulaAltrimenti", "0"},
            {"txtFormulaSimbolica", "B / A"},
            {"txtValErr", italian ? "-0,5" : "-0.5"}};
        for (const auto& [name, text] : expected)
            QCOMPARE(editor.text(name), text);
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QCOMPARE(editor.export_()->checkState(), Qt::Checked);
        QVERIFY(ctlIndiciProbe::standard(editor.control));
        QVERIFY(!ctlIndiciProbe::modified(editor.control));
        QVERIFY(!editor.control.Adding());
        auto* tbEdit = editor.control.findChild<QAction*>(QStringLiteral("tbEdit"));
        auto* tbOK = editor.control.findChild<QAction*>(QStringLiteral("tbOK"));
        QVERIFY(tbEdit->isEnabled());
        QVERIFY(!tbOK->isEnabled());
    }

    // Each nullable column shows its substitute; a Null where a value is required leaves the
    // field (or the standard flag) as the index loaded before set it.
    void nullsShowTheirSubstitutes_data() { TestDatabase::addEngineRows(); }
    void nullsShowTheirSubstitutes() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("FULL")));
        QVariantMap nulls{{"KX09_CODICEMODELLO_KX06", kModel}, {"KX09_CODICEINDICE", "NULLS"}};
        for (const char* column :
             {"KX09_DESCRIZIONE", "KX09_TESTO", "KX09_VALORESCARSO", "KX09_DESCRIZIONESCARSO",
              "KX09_VALORENORMALE", "KX09_DESCRIZIONENORMALE", "KX09_VALOREBUONO",
              "KX09_DESCRIZIONEBUONO", "KX09_FORMULACONDIZIONE", "KX09_FORMULAALLORA",
              "KX09_FORMULAALTRIMENTI", "KX09_FORMULASIMBOLICA", "KX09_GRAFICO", "KX09_STANDARD",
              "KX09_VALERR_FORMULA", "KX09_DEFEXPRELGEST"})
            nulls.insert(QLatin1String(column), QVariant());
        insertRow(database, nulls);
        Editor editor(database.db(), QStringLiteral("FULL"));
        editor.control.LoadIndice();

        editor.control.setCodiceIndice(QStringLiteral("NULLS"));
        editor.control.LoadIndice();

        QCOMPARE(editor.text("txtCodice"), QStringLiteral("NULLS"));
        QCOMPARE(editor.text("txtDescrizione"), QStringLiteral("Margine FULL"));
        for (const char* name : {"txtTesto", "txtValoreScarso", "txtDescrizioneScarso",
                                 "txtValoreNormale", "txtDescrizioneNormale", "txtValoreBuono",
                                 "txtDescrizioneBuono", "txtFormulaCondizione", "txtFormulaAllora",
                                 "txtFormulaAltrimenti", "txtFormulaSimbolica"})
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtValErr"), QStringLiteral("0"));
        QCOMPARE(editor.chart()->currentIndex(), -1);
        QCOMPARE(editor.export_()->checkState(), Qt::Unchecked);
        QVERIFY(ctlIndiciProbe::standard(editor.control));
        QVERIFY(!ctlIndiciProbe::modified(editor.control));
    }

    // No row for the code: the load succeeds, the form keeps what it showed, the toolbar is
    // still set for viewing; a save has no row to write and says so, writing nothing.
    void noMatchingRow_data() { TestDatabase::addEngineRows(); }
    void noMatchingRow() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.LoadIndice();
        editor.control.UnloadIndice();

        editor.control.setCodiceIndice(QStringLiteral("MISSING"));
        editor.control.LoadIndice();

        for (const char* name : kEmptiedBoxes)
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtValErr"), QStringLiteral("0"));
        QCOMPARE(editor.text("txtDescrizioneBuono"), QStringLiteral("Buono"));
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QCOMPARE(editor.export_()->checkState(), Qt::Checked);
        QVERIFY(ctlIndiciProbe::standard(editor.control));
        QVERIFY(editor.control.findChild<QAction*>(QStringLiteral("tbEdit"))->isEnabled());

        editor.type("txtDescrizione", QStringLiteral("Nuova"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, ctlIndiciProbe::save(editor.control));
        QCOMPARE(rowCount(database), 1);
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE"),
                 QVariant(QStringLiteral("Margine IND1")));
    }

    // The second load closes the first selection: a save then writes the second index only.
    void twoLoadsInARow_data() { TestDatabase::addEngineRows(); }
    void twoLoadsInARow() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        insertRow(database, fullRow(QStringLiteral("IND2")));
        Editor editor(database.db());
        editor.control.LoadIndice();

        editor.control.setCodiceIndice(QStringLiteral("IND2"));
        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtCodice"), QStringLiteral("IND2"));
        editor.type("txtDescrizione", QStringLiteral("Seconda"));
        ctlIndiciProbe::save(editor.control);

        QCOMPARE(storedRow(database, "IND2").value("KX09_DESCRIZIONE"),
                 QVariant(QStringLiteral("Seconda")));
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE"),
                 QVariant(QStringLiteral("Margine IND1")));
    }

    // Loading while adding reads nothing: the new entries stay, and adding ends.
    void loadWhileAdding() {
        TestDatabase database(QStringLiteral("sqlite"));
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.setAdding(true);
        editor.type("txtCodice", QStringLiteral("NUOVO"));
        editor.type("txtDescrizione", QStringLiteral("In corso"));

        editor.control.LoadIndice();

        QCOMPARE(editor.text("txtCodice"), QStringLiteral("NUOVO"));
        QCOMPARE(editor.text("txtDescrizione"), QStringLiteral("In corso"));
        QVERIFY(ctlIndiciProbe::modified(editor.control));
        QVERIFY(!editor.control.Adding());
    }

    // Unloading empties the boxes it covers, keeps the comments, the chart type and the check
    // box, and leaves the record closed: a later load opens it again.
    void unloadEmptiesTheForm() {
        TestDatabase database(QStringLiteral("sqlite"));
        insertRow(database, fullRow(QStringLiteral("IND1")));
        Editor editor(database.db());
        editor.control.LoadIndice();

        editor.control.UnloadIndice();

        for (const char* name : kEmptiedBoxes)
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtValErr"), QStringLiteral("0"));
        QCOMPARE(editor.text("txtDescrizioneScarso"), QStringLiteral("Scarso"));
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QCOMPARE(editor.export_()->checkState(), Qt::Checked);
        QVERIFY(!ctlIndiciProbe::modified(editor.control));

        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtCodice"), QStringLiteral("IND1"));
    }

    // A load with no host service fails clearly and leaves the form as it was.
    void loadWithoutService() {
        ctlIndici editor;
        editor.setCodiceModello(kModel);
        editor.setCodiceIndice(QStringLiteral("IND1"));
        try {
            editor.LoadIndice();
            QFAIL("LoadIndice without CGlobal succeeded");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), RuntimeError::ObjectNotSet);
        }
    }
};

QTEST_MAIN(TestLoading)
#include "test_loading.moc"
