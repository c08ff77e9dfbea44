// Loading an index into the form, Nulls, missing rows, reloading and unloading, as a host
// drives the component (every column shown in the locale: test_record_saving).
#include "RecordFixture.h"

#include <QAction>

namespace {
const QStringList kEmptiedBoxes =
    QStringLiteral("txtCodice txtDescrizione txtTesto txtValoreScarso txtValoreNormale "
                   "txtValoreBuono txtFormulaCondizione txtFormulaAllora txtFormulaAltrimenti "
                   "txtFormulaSimbolica")
        .split(u' ');
}

class TestLoading : public QObject {
    Q_OBJECT
private slots:
    // Nullable columns show their substitutes; a Null where a value is required (the
    // description, the standard flag) leaves what the index loaded before set. A code with no
    // row loads nothing, and a save of it is refused with the stored rows untouched.
    void nullsAndMissingRows_data() { TestDatabase::addEngineRows(); }
    void nullsAndMissingRows() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, "FULL");
        QVariantMap nulls = storedRow(database, "FULL"); // every column but the two codes
        nulls.remove("KX09_CODICEMODELLO_KX06");
        nulls.remove("KX09_CODICEINDICE");
        for (QVariant& value : nulls)
            value = QVariant();
        insertRow(database, "NULLS", nulls);
        Editor editor(database.db(), "FULL");
        editor.control.LoadIndice();

        editor.control.setCodiceIndice("NULLS");
        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtCodice"), "NULLS");
        QCOMPARE(editor.text("txtDescrizione"), "Margine FULL");
        for (const QString& name : kEmptiedBoxes.mid(2))
            QCOMPARE(editor.text(name), QString());
        for (const char* name :
             {"txtDescrizioneScarso", "txtDescrizioneNormale", "txtDescrizioneBuono"})
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtValErr"), "0");
        QCOMPARE(editor.chart()->currentIndex(), -1);
        QCOMPARE(editor.relGest()->checkState(), Qt::Unchecked);
        QVERIFY(Probe::standard(editor.control));
        QVERIFY(!Probe::modified(editor.control));

        editor.control.setCodiceIndice("FULL");
        editor.control.LoadIndice();
        editor.control.UnloadIndice();
        editor.control.setCodiceIndice("MISSING");
        editor.control.LoadIndice();
        for (const QString& name : kEmptiedBoxes)
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtDescrizioneBuono"), "Buono");
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QVERIFY(editor.control.findChild<QAction*>("tbEdit")->isEnabled());
        editor.type("txtDescrizione", "Nuova");
        QVERIFY_THROWS_EXCEPTION(RuntimeError, Probe::save(editor.control));
        QCOMPARE(rowCount(database), 2);
        QCOMPARE(storedRow(database, "FULL").value("KX09_DESCRIZIONE"), "Margine FULL");
    }

    // The second of two loads replaces the first selection: a save writes the second index.
    // Unloading empties the covered boxes and keeps comments, chart type and check box.
    void twoLoadsThenUnload_data() { TestDatabase::addEngineRows(); }
    void twoLoadsThenUnload() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, "IND1");
        insertRow(database, "IND2");
        Editor editor(database.db());
        editor.control.LoadIndice();
        editor.control.setCodiceIndice("IND2");
        editor.control.LoadIndice();
        editor.type("txtDescrizione", "Seconda");
        Probe::save(editor.control);
        QCOMPARE(storedRow(database, "IND2").value("KX09_DESCRIZIONE"), "Seconda");
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE"), "Margine IND1");

        editor.control.UnloadIndice();
        for (const QString& name : kEmptiedBoxes)
            QCOMPARE(editor.text(name), QString());
        QCOMPARE(editor.text("txtValErr"), "0");
        QCOMPARE(editor.text("txtDescrizioneScarso"), "Scarso");
        QCOMPARE(editor.chart()->currentIndex(), 2);
        QCOMPARE(editor.relGest()->checkState(), Qt::Checked);
        QVERIFY(!Probe::modified(editor.control));

        // With the record closed, a save finds the index by both codes, and only that one.
        editor.type("txtDescrizione", "Dopo la chiusura");
        Probe::save(editor.control);
        QCOMPARE(storedRow(database, "IND2").value("KX09_DESCRIZIONE"), "Dopo la chiusura");
        QCOMPARE(storedRow(database, "IND1").value("KX09_DESCRIZIONE"), "Margine IND1");
    }

    // Loading while adding reads nothing: the new entries and the modified flag stay, and
    // adding ends.
    void loadWhileAdding() {
        TestDatabase database("sqlite");
        insertRow(database, "IND1");
        Editor editor(database.db());
        editor.control.setAdding(true);
        editor.type("txtCodice", "NUOVO");
        editor.type("txtDescrizione", "In corso");

        editor.control.LoadIndice();
        QCOMPARE(editor.text("txtCodice"), "NUOVO");
        QCOMPARE(editor.text("txtDescrizione"), "In corso");
        QVERIFY(Probe::modified(editor.control));
        QVERIFY(!editor.control.Adding());
        // The typed code is not kept as the current code: no document can come to name it.
        QCOMPARE(Probe::codiceIndice(editor.control), QStringLiteral("IND1"));
    }
};

QTEST_MAIN(TestLoading)
#include "test_loading.moc"
