// The index row: its numbers and the index record as plain objects, then the form that shows,
// saves and validates it as a host drives the component on BILANCIO, on each engine in Italian
// and in C.
#include "record/IndexRecord.h"
#include "record/Numbers.h"
#include "support/Host.h"

#include <K7XBO_Global/CFormulaEngine.h>

using K7X_DoruVevuzu::record::IndexRecord;
using Boxes = QVariantMap; // control name -> text, chart index or check state

namespace {

// A formula engine that refuses every formula naming ERR and remembers what it was asked.
struct RecordingEngine : K7XBO_Global::CFormulaEngine {
    QString CheckFormula(QString& formula) override {
        checked << formula;
        return formula.contains("ERR") ? "Formula errata: " + formula : QString();
    }
    QStringList checked;
};

// A number written in C, as the locale writes it: Italian swaps "." and ",".
QString inLocale(QString text) {
    if (QLocale().decimalPoint() == u',')
        for (QChar& c : text)
            if (const qsizetype at = QStringView(u".,").indexOf(c); at >= 0)
                c = QStringView(u",.")[at];
    return text;
}
QString inLocale(const QString& box, const QString& text) {
    return box.startsWith("txtVal") ? inLocale(text) : text;
}

// Where a test starts: IND2 loaded after IND1, then unloaded; adding over IND2 or with nothing
// loaded; NESSUNO (no row) loaded, then unloaded.
enum class Start { Loaded, Unloaded, Adding, AddingUnloaded, Missing, MissingUnloaded };

// BILANCIO with the full rows IND1, IND2 and NULLS (Null but its codes), nothing loaded.
struct RecordHost : TestHost {
    explicit RecordHost(const QString& engine) : TestHost(engine, {}) {
        insertIndex("IND1");
        insertIndex("IND2");
        QVariantMap nulls;
        for (const QString& column : stored("IND1").keys())
            if (!column.contains("CODICE"))
                nulls.insert(column, QVariant());
        insertIndex("NULLS", nulls);
        Probe::replaceFormulaEngine(*editor, formulas);
    }
    void load(const QString& code) {
        editor->setCodiceIndice(code);
        editor->LoadIndice();
    }
    void begin(Start start) {
        load("IND1");
        load(start >= Start::Missing ? "NESSUNO" : "IND2");
        if (start == Start::Unloaded || start == Start::AddingUnloaded ||
            start == Start::MissingUnloaded)
            editor->UnloadIndice();
        if (start == Start::Adding || start == Start::AddingUnloaded)
            editor->setAdding(true);
    }
    // Writes into the boxes as a host does.
    void fill(const Boxes& boxes) {
        for (auto it = boxes.cbegin(); it != boxes.cend(); ++it) {
            if (it.key() == "ChkRelGest")
                child<QCheckBox>(it.key())->setCheckState(Qt::CheckState(it->toInt()));
            else if (it.key() == "cmbGrafico")
                child<QComboBox>(it.key())->setCurrentIndex(it->toInt());
            else
                set(it.key(), inLocale(it.key(), it->toString()));
        }
    }
    RecordingEngine* formulas = new RecordingEngine;
};

// Adds the columns "engine" and "locale"; `row(name)` then adds a row for each engine and
// locale, named "engine locale/name".
struct EngineRows {
    EngineRows() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("locale");
    }
    template <typename... Values> void operator()(const char* name, const Values&... values) {
        for (const QString& engine : TestDatabase::engines())
            for (const char* locale : {"it_IT", "C"})
                ((QTest::addRow("%s %s/%s", qPrintable(engine), locale, name)
                  << engine << QString(locale))
                 << ... << values);
    }
};

// The boxes compared by `shows`, in this order.
const QStringList kBoxes =
    QString("txtCodice txtDescrizione txtTesto txtValoreScarso txtDescrizioneScarso "
            "txtValoreNormale txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono "
            "txtFormulaAllora txtValErr")
        .split(u' ');

} // namespace

Q_DECLARE_METATYPE(Start)

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    void init() { // rows named "engine locale/name" run in that locale
        const QString tag = QTest::currentDataTag();
        QLocale::setDefault(QLocale(tag.contains(u'/') ? tag.section(u'/', 0, 0).section(u' ', -1)
                                                       : QStringLiteral("C")));
    }

    // The one numeric test of the form: a sign, the decimal separator and an exponent; no group
    // separators, currency, percent, hex, infinities, NaN or values out of range.
    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        for (const char* locale : {"it_IT", "C"}) {
            for (const char* text : {"1.5", "-1.5", "+2", "1.5e-3", "\t7 ", "-0.25E+2"})
                QTest::addRow("%s/%s", locale, text) << QString(text) << true;
            for (const char* text : {"1,500", "1,50", "12,34,567", "1.5.0", "€ 5", "5%", "0x10",
                                     "inf", "nan", "1e400", "1 000", ""})
                QTest::addRow("%s/%s", locale, text) << QString(text) << false;
        }
    }
    void numbers() {
        QFETCH(QString, text);
        QTEST(K7X_DoruVevuzu::record::parseNumber(inLocale(text)).has_value(), "number");
    }

    // The record reads what is stored: a number as a double, Null as Null, a column in any case;
    // it refuses a column the table lacks, and a value with no row.
    void recordReadsAsStored_data() { TestDatabase::addEngineRows(); }
    void recordReadsAsStored() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        database.exec("UPDATE KX09_INDICE SET KX09_VALOREBUONO = ?, KX09_TESTO = NULL WHERE "
                      "KX09_CODICEINDICE = 'ROE'",
                      {0.1 + 0.2});
        if (engine == "postgresql") // a session that writes doubles to 15 digits compares alike
            database.exec("SET extra_float_digits = 0");
        IndexRecord row;
        row.load(database.db(), "BILANCIO", "ROE");
        QCOMPARE(row.value("kx09_valorebuono").toDouble(), engine == "sqlite" ? 0.1 + 0.2 : 0.3);
        QVERIFY(row.value("KX09_TESTO").isNull());
        QCOMPARE(raisedBy([&] { row.value("KX09_NESSUNA"); }).number(),
                 IndexRecord::UnknownColumnNumber);
        row.update({{"KX09_VALOREBUONO", 2.0}});
        QCOMPARE(database.value("SELECT KX09_VALOREBUONO FROM KX09_INDICE WHERE "
                                "KX09_CODICEINDICE = 'ROE'"),
                 QVariant(2.0));
        row.load(database.db(), "BILANCIO", "NESSUNO");
        QCOMPARE(raisedBy([&] { row.value("KX09_TESTO"); }).number(),
                 IndexRecord::NoCurrentRecordNumber);
    }

    // The boxes after a load over IND1, after UnloadIndice, or after a load that finds no row: a
    // Null empties a box that may be empty and leaves the one that may not.
    void shows_data() {
        EngineRows row;
        QTest::addColumn<QString>("code"); // loaded after IND1; empty: UnloadIndice
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("chart");
        QTest::addColumn<Qt::CheckState>("check");
        const QStringList ind1{
            "IND1", "Margine IND1", "Testo\nsu due righe", "1.5",   "Scarso",
            "2",    "Normale",      "1234567.25",          "Buono", "Voce(\"B\") / Voce(\"A\")",
            "-0.5"};
        const QStringList nulls{"NULLS", "Margine IND1", "", "", "", "", "", "", "", "", "0"};
        const QStringList unloaded{"", "", "", "", "Scarso", "", "Normale", "", "Buono", "", "0"};
        row("full row", QString("IND1"), ind1, 2, Qt::Checked);
        row("Nulls", QString("NULLS"), nulls, -1, Qt::Unchecked);
        row("no row", QString("NESSUNO"), ind1, 2, Qt::Checked);
        row("unloaded", QString(), unloaded, 2, Qt::Checked);
    }
    void shows() {
        QFETCH(QString, engine);
        QFETCH(QString, code);
        QFETCH(QStringList, boxes);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        RecordHost h(engine);
        h.load("IND1");
        code.isEmpty() ? h.editor->UnloadIndice() : h.load(code);
        for (int i = 0; i < kBoxes.size(); ++i)
            QCOMPARE(h.text(kBoxes[i]), inLocale(kBoxes[i], boxes[i]));
        QTEST(h.child<QComboBox>("cmbGrafico")->currentIndex(), "chart");
        QTEST(h.child<QCheckBox>("ChkRelGest")->checkState(), "check");
    }

    // What a save stores: the loaded index's columns from its boxes (a level's comment only with
    // a number in its level, the code never), or a new row; the other rows stay as they were.
    void saves_data() {
        EngineRows row;
        QTest::addColumn<Start>("start");
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<QString>("code");       // the row read afterwards
        QTest::addColumn<QVariantMap>("stored"); // its columns KX09_...
        row("every kind", Start::Loaded,
            Boxes{{"txtDescrizione", "Margine lordo"},
                  {"txtTesto", ""},
                  {"txtValErr", "1.5e+20"},
                  {"txtValoreScarso", "-2.75"},
                  {"txtDescrizioneScarso", "Poco"},
                  {"cmbGrafico", 0},
                  {"ChkRelGest", 1},
                  {"txtCodice", "ALTRO"}},
            QString("IND2"),
            QVariantMap{{"DESCRIZIONE", "Margine lordo"},
                        {"TESTO", ""},
                        {"VALORESCARSO", -2.75},
                        {"DESCRIZIONESCARSO", "Poco"},
                        {"VALERR_FORMULA", 1.5e20},
                        {"GRAFICO", 0},
                        {"DEFEXPRELGEST", false},
                        {"STANDARD", true}});
        row("a level that is no number", Start::Loaded,
            Boxes{{"txtValoreNormale", "1,5"}, {"txtDescrizioneNormale", "Altro"}}, QString("IND2"),
            QVariantMap{{"VALORENORMALE", 2}, {"DESCRIZIONENORMALE", "Normale"}});
        row("after UnloadIndice", Start::Unloaded, Boxes{{"txtDescrizione", "Dopo"}},
            QString("IND2"), QVariantMap{{"DESCRIZIONE", "Dopo"}});
        row("new row", Start::Adding,
            Boxes{{"txtCodice", " NEW "},
                  {"txtDescrizione", "Nuovo"},
                  {"txtValoreScarso", "abc"},
                  {"txtDescrizioneScarso", "ignorato"},
                  {"txtValoreNormale", "3"},
                  {"txtFormulaAllora", "1"},
                  {"txtValErr", ""},
                  {"ChkRelGest", 2},
                  {"cmbGrafico", -1}},
            QString(" NEW "),
            QVariantMap{{"DESCRIZIONE", "Nuovo"},
                        {"FORMULACONDIZIONE", ""},
                        {"FORMULAALLORA", "1"},
                        {"VALORESCARSO", {}},
                        {"DESCRIZIONESCARSO", {}},
                        {"VALORENORMALE", 3},
                        {"GRAFICO", {}},
                        {"VALERR_FORMULA", 0},
                        {"STANDARD", false},
                        {"DEFEXPRELGEST", true}});
        row("new row, nothing loaded", Start::AddingUnloaded,
            Boxes{{"txtCodice", "CHIUSO"}, {"txtDescrizione", "Chiuso"}}, QString("CHIUSO"),
            QVariantMap{{"DESCRIZIONE", "Chiuso"}, {"STANDARD", false}});
    }
    void saves() {
        QFETCH(QString, engine);
        QFETCH(Start, start);
        QFETCH(QString, code);
        QFETCH(QVariantMap, stored);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        RecordHost h(engine);
        h.begin(start);
        QFETCH(Boxes, boxes);
        h.fill(boxes);
        const int before = h.indices();
        Probe::save(*h.editor);
        QCOMPARE(h.indices() - before, start >= Start::Adding ? 1 : 0);
        QCOMPARE(h.stored("IND1")["KX09_DESCRIZIONE"], QVariant("Margine IND1"));
        for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
            const QVariant actual = h.stored(code)["KX09_" + it.key()];
            if (actual.isNull() || it->isNull())
                QVERIFY2(actual.isNull() == it->isNull(), qPrintable(it.key()));
            else if (it->typeId() == QMetaType::Bool)
                QVERIFY2(actual.toBool() == it->toBool(), qPrintable(it.key()));
            else
                QCOMPARE(actual.toString(), it->toString());
        }
    }

    // A save the database or the component refuses writes nothing and keeps every entry.
    void refusedSaveKeepsEntries_data() {
        EngineRows row;
        QTest::addColumn<Start>("start");
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<QString>("sqlState"); // a database refusal (PostgreSQL's code)
        QTest::addColumn<QString>("message");  // else part of the component's message
        const QString tooLong = "Descrizione di cinquantuno caratteri: uno di troppo";
        const QString missing = "\"NESSUNO\" del modello \"BILANCIO\" non esiste nel database";
        row("code used", Start::Adding, Boxes{{"txtCodice", "IND1"}}, QString("23505"), QString());
        row("text too long", Start::Adding,
            Boxes{{"txtCodice", "NEW"}, {"txtDescrizione", tooLong}}, QString("22001"), QString());
        row("no row", Start::Missing, Boxes{{"txtDescrizione", "Altrove"}}, QString(), missing);
        row("no row, unloaded", Start::MissingUnloaded, Boxes{{"txtDescrizione", "Altrove"}},
            QString(), missing);
    }
    void refusedSaveKeepsEntries() {
        QFETCH(QString, engine);
        QFETCH(Start, start);
        QFETCH(Boxes, boxes);
        QFETCH(QString, sqlState);
        QFETCH(QString, message);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        RecordHost h(engine);
        h.begin(start);
        h.fill(boxes);
        const int before = h.indices();
        const RuntimeError refusal = raisedBy([&] { Probe::save(*h.editor); });
        QVERIFY2(refusal.description().contains(message), refusal.what());
        if (engine == "postgresql" && !sqlState.isEmpty()) // SQLite's codes are its own
            QCOMPARE(QString::number(refusal.number()), sqlState);
        QVERIFY(refusal.number() != 0);
        QCOMPARE(h.indices(), before);
        QCOMPARE(h.editor->Adding(), start == Start::Adding);
        for (auto it = boxes.cbegin(); it != boxes.cend(); ++it)
            QCOMPARE(h.text(it.key()), it->toString());
    }

    // Validation names the first fault in the form's order, trims spaces (never tabs) before its
    // tests, normalises the formulas it hands to the engine, and asks the database only while
    // adding, when the code must be new by the case rule.
    void validates_data() {
        EngineRows rows;
        QTest::addColumn<bool>("adding");
        QTest::addColumn<Boxes>("boxes"); // over code IND1, description D, then "1 + 2"
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("checked"); // the formulas handed to the engine
        QTest::addColumn<Boxes>("after");         // boxes after validation
        const auto row = [&](const char* name, bool adding, const Boxes& boxes,
                             const QString& message, const QStringList& checked,
                             const Boxes& after = {}) {
            rows(name, adding, boxes, message, checked, after);
        };
        const QString errata = "Formula errata: ERR";
        row("valid", false, {}, "", {"1 + 2"});
        row("code first", false,
            {{"txtCodice", "  "}, {"txtDescrizione", " "}, {"txtValoreScarso", "x"}},
            "Inserire il codice.", {}, {{"txtCodice", ""}});
        row("description", false, {{"txtDescrizione", " "}, {"txtValoreScarso", "x"}},
            "Inserire la descrizione.", {});
        row("poor before good", false, {{"txtValoreScarso", "x"}, {"txtValoreBuono", "y"}},
            "Inserire il valore scarso.", {});
        row("good before normal", false, {{"txtValoreBuono", "y"}, {"txtValoreNormale", "1..2"}},
            "Inserire il valore buono.", {});
        row("normal before the formulas", false,
            {{"txtValoreNormale", "1..2"}, {"txtFormulaAllora", " "}},
            "Inserire il valore normale.", {});
        row("then missing", false, {{"txtFormulaAllora", " "}}, "Inserire 'Formula allora'.", {});
        row("condition refused", false, {{"txtFormulaCondizione", "ERR"}}, errata, {"ERR"});
        row("then refused", false, {{"txtFormulaAllora", "ERR"}, {"txtFormulaAltrimenti", "ERR"}},
            errata, {"ERR"});
        row("else missing", false, {{"txtFormulaCondizione", "A"}},
            "Inserire 'Formula altrimenti'.", {"A", "1 + 2"});
        row("else refused", false, {{"txtFormulaCondizione", "A"}, {"txtFormulaAltrimenti", "ERR"}},
            errata, {"A", "1 + 2", "ERR"});
        row("else without condition", false, {{"txtFormulaAltrimenti", "A"}}, "", {"1 + 2", "A"});
        row("trimmed, normalised", false,
            {{"txtCodice", "  IND1 "},
             {"txtDescrizione", "\tMargine  "},
             {"txtValoreScarso", "   "},
             {"txtValoreBuono", " 3 "},
             {"txtFormulaCondizione", "  Voce(\"A\")>0 "},
             {"txtFormulaAllora", " 1+2"},
             {"txtFormulaAltrimenti", "0 "},
             {"txtTesto", " libero "},
             {"txtValErr", " 1 "}},
            "", {"Voce(\"A\") > 0", "1 + 2", "0"},
            {{"txtCodice", "IND1"},
             {"txtDescrizione", "\tMargine"},
             {"txtValoreScarso", ""},
             {"txtValoreBuono", "3"},
             {"txtFormulaCondizione", "Voce(\"A\") > 0"},
             {"txtFormulaAltrimenti", "0"},
             {"txtTesto", " libero "},
             {"txtValErr", " 1 "}});
        row("code used", true, {{"txtCodice", " IND1 "}, {"txtDescrizione", " D "}},
            "Codice esistente.", {}, {{"txtDescrizione", " D "}});
        row("code used, other case", true, {{"txtCodice", "ind2"}}, "Codice esistente.", {});
        row("new code", true, {{"txtCodice", "ALTRO"}}, "", {"1 + 2"});
    }
    void validates() {
        QFETCH(QString, engine);
        QFETCH(bool, adding);
        QFETCH(Boxes, boxes);
        QFETCH(Boxes, after);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        RecordHost h(engine);
        h.editor->setAdding(adding);
        h.fill({{"txtCodice", "IND1"}, {"txtDescrizione", "D"}, {"txtFormulaAllora", "1 + 2"}});
        h.fill(boxes);
        const int calls = h.service.databaseCalls;
        QTEST(Probe::validate(*h.editor), "message");
        QTEST(h.formulas->checked, "checked");
        QCOMPARE(h.service.databaseCalls - calls, adding ? 1 : 0);
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            QCOMPARE(h.text(it.key()), inLocale(it.key(), it->toString()));
    }
};

QTEST_MAIN(TestRecord)
#include "test_record.moc"
