// Validation before saving: the duplicate test, the messages and their order, trimming, the
// formulas handed to the formula engine, and the numeric test in two locales.
#include "RecordFixture.h"

namespace {

// A formula engine that refuses every formula naming ERR and remembers what it was asked.
class RecordingEngine : public K7XBO_Global::CFormulaEngine {
public:
    QString CheckFormula(QString& formula) override {
        checked << formula;
        return formula.contains("ERR") ? "Formula errata: " + formula : QString();
    }
    QStringList checked;
};

QString normalized(const QString& formula) {
    return K7XBO_Global::CTextUtil::instance().NormalizeFormula(formula);
}

// A valid index open for editing with its code unchanged: validation needs no database.
struct EditedIndex : Editor {
    EditedIndex() : Editor(QSqlDatabase()), engine(new RecordingEngine) {
        Probe::replaceFormulaEngine(control, engine);
        type("txtCodice", "IND1");
        type("txtDescrizione", "Descrizione");
        type("txtFormulaAllora", "1 + 2");
    }
    RecordingEngine* engine;
};

const QString kBad = "Voce(\"ERR\")";
const QString kGood = "Voce(\"A\")";

} // namespace

class TestValidation : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    // Each case fills the boxes it names over a valid form: the first failure wins, and the
    // engine sees the normalised formulas of the steps reached.
    void messages_data() {
        QTest::addColumn<QVariantMap>("boxes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("checked");
        const QString then = normalized("1 + 2");
        const QString refused = "Formula errata: " + normalized(kBad);
        const auto row = [](const char* name, const QVariantMap& boxes, const QString& message,
                            const QStringList& checked) {
            QTest::newRow(name) << boxes << message << checked;
        };
        row("valid", {}, "", {then});
        row("code spaces", {{"txtCodice", "  "}, {"txtDescrizione", ""}}, "Inserire il codice.",
            {});
        row("description spaces", {{"txtDescrizione", " "}, {"txtValoreScarso", "x"}},
            "Inserire la descrizione.", {});
        row("poor first", {{"txtValoreScarso", "x"}, {"txtValoreBuono", "y"}},
            "Inserire il valore scarso.", {});
        row("good before normal", {{"txtValoreBuono", "y"}, {"txtValoreNormale", "z"}},
            "Inserire il valore buono.", {});
        row("normal", {{"txtValoreNormale", "1..2"}}, "Inserire il valore normale.", {});
        row("then empty", {{"txtFormulaAllora", " "}}, "Inserire 'Formula allora'.", {});
        row("condition refused before empty then",
            {{"txtFormulaCondizione", kBad}, {"txtFormulaAllora", ""}}, refused,
            {normalized(kBad)});
        row("then refused", {{"txtFormulaAllora", kBad}, {"txtFormulaAltrimenti", kBad}}, refused,
            {normalized(kBad)});
        row("condition without else", {{"txtFormulaCondizione", kGood}},
            "Inserire 'Formula altrimenti'.", {normalized(kGood), then});
        row("else refused", {{"txtFormulaCondizione", kGood}, {"txtFormulaAltrimenti", kBad}},
            refused, {normalized(kGood), then, normalized(kBad)});
        row("all three", {{"txtFormulaCondizione", kGood}, {"txtFormulaAltrimenti", "0"}}, "",
            {normalized(kGood), then, "0"});
        row("else alone", {{"txtFormulaAltrimenti", kGood}}, "", {then, normalized(kGood)});
    }
    void messages() {
        QFETCH(QVariantMap, boxes);
        QFETCH(QString, message);
        QFETCH(QStringList, checked);
        EditedIndex form;
        for (auto box = boxes.cbegin(); box != boxes.cend(); ++box)
            form.type(box.key(), box.value().toString());

        QCOMPARE(Probe::validate(form.control), message);
        QCOMPARE(form.engine->checked, checked);
        QCOMPARE(form.service.databaseCalls, 0); // code unchanged: no duplicate query
    }

    // Examined boxes lose their spaces (only spaces) and keep normalised formulas; boxes that
    // are not examined keep their text.
    void trimsAndNormalisesInPlace() {
        EditedIndex form;
        const QList<std::tuple<const char*, QString, QString>> boxes{
            {"txtCodice", "  IND1 ", "IND1"},
            {"txtDescrizione", "\tMargine  ", "\tMargine"},
            {"txtValoreScarso", "   ", ""},
            {"txtValoreBuono", " 3 ", "3"},
            {"txtFormulaCondizione", "  Voce(\"A\")>0 ", normalized("Voce(\"A\")>0")},
            {"txtFormulaAllora", " 1+2", normalized("1+2")},
            {"txtFormulaAltrimenti", "0 ", normalized("0")},
            {"txtTesto", " libero ", " libero "},
            {"txtValErr", " 1 ", " 1 "}};
        for (const auto& [name, typed, kept] : boxes)
            form.type(name, typed);
        QCOMPARE(Probe::validate(form.control), QString());
        for (const auto& [name, typed, kept] : boxes)
            QCOMPARE(form.text(name), kept);
    }

    // The duplicate test runs while adding or after a code change, on the trimmed code, before
    // every other check and before any box is trimmed; only the same model's code counts (codes
    // that differ by case, a quote or a wildcard: tests/hostile).
    void duplicateCode_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString taken = "Codice esistente.";
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("taken") << true << " IND1 " << taken;
            row("other model") << true << "ALTRO" << QString();
            row("changed") << false << "IND1" << taken;
        });
    }
    void duplicateCode() {
        QFETCH(QString, engine);
        QFETCH(bool, adding);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, "IND1");
        database.exec("INSERT INTO KX06_MODELLI VALUES ('MOD2', 'Altro')");
        database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE) "
                      "VALUES ('MOD2', 'ALTRO')");
        Editor editor(database.db(), "OLD");
        editor.control.setAdding(adding);
        editor.type("txtCodice", typed);
        if (!adding) // a code that differs from the host's outside add mode
            Probe::setCodiceIndice(editor.control, typed);
        editor.type("txtDescrizione", " D ");
        editor.type("txtFormulaAllora", "1");

        QCOMPARE(Probe::validate(editor.control), message);
        QCOMPARE(editor.service.databaseCalls, 1);
        QCOMPARE(editor.text("txtDescrizione"), message.isEmpty() ? "D" : " D ");
    }

    // The one numeric test, as validation applies it to a threshold value.
    void numericTest_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        const QLocale it(QLocale::Italian, QLocale::Italy);
        const QLocale c = QLocale::c();
        const QList<std::tuple<QLocale, const char*, bool>> cases{
            {it, "1,5", true},     {it, "-1,5", true},        {it, "+2", true},
            {it, "1.500", true},   {it, "1.234.567,8", true}, {it, "1,5E-3", true},
            {it, "\t7", true},     {it, "1.5", false},        {it, "12.34.567", false},
            {it, "1,5,0", false},  {it, "€ 5", false},        {it, "5%", false},
            {it, "0x10", false},   {it, "inf", false},        {it, "nan", false},
            {it, "1e400", false},  {it, "1 000", false},      {c, "1.5", true},
            {c, "-0.25e+2", true}, {c, "1,500.5", true},      {c, "1,5", false},
            {c, "1,50", false}};
        for (const auto& [locale, text, accepted] : cases)
            QTest::addRow("%s %s", qPrintable(locale.name()), text)
                << locale << QString::fromUtf8(text) << accepted;
    }
    void numericTest() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QLocale::setDefault(locale);
        EditedIndex form;
        form.type("txtValoreScarso", text);
        QCOMPARE(Probe::validate(form.control), accepted ? "" : "Inserire il valore scarso.");
    }
};

QTEST_MAIN(TestValidation)
#include "test_validation.moc"
