// Validation before saving: the duplicate test, the messages and their order, trimming, the
// formulas handed to the formula engine, and the numeric test in two locales.
#include "RecordFixture.h"

namespace {

// A formula engine that refuses every formula naming ERR and remembers what it was asked.
class RecordingEngine : public K7XBO_Global::CFormulaEngine {
public:
    QString CheckFormula(QString& formula) override {
        checked << formula;
        return formula.contains(QLatin1String("ERR")) ? QStringLiteral("Formula errata: ") + formula
                                                      : QString();
    }
    QStringList checked;
};

QString normalized(const QString& formula) {
    return K7XBO_Global::CTextUtil::instance().NormalizeFormula(formula);
}

// An index open for editing, its code unchanged: validation needs no database.
struct EditedIndex : Editor {
    EditedIndex() : Editor(QSqlDatabase()), engine(new RecordingEngine) {
        ctlIndiciProbe::replaceFormulaEngine(control, engine);
        type("txtCodice", QStringLiteral("IND1"));
        type("txtDescrizione", QStringLiteral("Descrizione"));
        type("txtFormulaAllora", QStringLiteral("1 + 2"));
    }
    RecordingEngine* engine;
};

const QString kBad = QStringLiteral("Voce(\"ERR\")");
const QString kGood = QStringLiteral("Voce(\"A\")");

} // namespace

class TestValidation : public QObject {
    Q_OBJECT
private slots:
    // Each case fills the boxes it names over a valid form; the first failure wins.
    void messages_data() {
        QTest::addColumn<QVariantMap>("boxes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("checked");
        const QString allora = normalized(QStringLiteral("1 + 2"));
        QTest::newRow("valid, no condition") << QVariantMap{} << QString() << QStringList{allora};
        QTest::newRow("code only spaces")
            << QVariantMap{{"txtCodice", "   "}, {"txtDescrizione", ""}} << "Inserire il codice."
            << QStringList{};
        QTest::newRow("description only spaces")
            << QVariantMap{{"txtDescrizione", "  "}, {"txtValoreScarso", "x"}}
            << "Inserire la descrizione." << QStringList{};
        QTest::newRow("poor before good")
            << QVariantMap{{"txtValoreScarso", "x"}, {"txtValoreBuono", "y"}}
            << "Inserire il valore scarso." << QStringList{};
        QTest::newRow("good before normal, poor empty")
            << QVariantMap{{"txtValoreScarso", ""},
                           {"txtValoreBuono", "y"},
                           {"txtValoreNormale", "z"}}
            << "Inserire il valore buono." << QStringList{};
        QTest::newRow("normal") << QVariantMap{{"txtValoreNormale", "1..2"}}
                                << "Inserire il valore normale." << QStringList{};
        QTest::newRow("then before the condition's check")
            << QVariantMap{{"txtValoreNormale", "5"}, {"txtFormulaAllora", " "}}
            << "Inserire 'Formula allora'." << QStringList{};
        QTest::newRow("condition refused before an empty then")
            << QVariantMap{{"txtFormulaCondizione", kBad}, {"txtFormulaAllora", ""}}
            << "Formula errata: " + normalized(kBad) << QStringList{normalized(kBad)};
        QTest::newRow("then refused")
            << QVariantMap{{"txtFormulaAllora", kBad}, {"txtFormulaAltrimenti", kBad}}
            << "Formula errata: " + normalized(kBad) << QStringList{normalized(kBad)};
        QTest::newRow("condition without else")
            << QVariantMap{{"txtFormulaCondizione", kGood}} << "Inserire 'Formula altrimenti'."
            << QStringList{normalized(kGood), allora};
        QTest::newRow("else refused")
            << QVariantMap{{"txtFormulaCondizione", kGood}, {"txtFormulaAltrimenti", kBad}}
            << "Formula errata: " + normalized(kBad)
            << QStringList{normalized(kGood), allora, normalized(kBad)};
        QTest::newRow("all three accepted")
            << QVariantMap{{"txtFormulaCondizione", kGood}, {"txtFormulaAltrimenti", "0"}}
            << QString() << QStringList{normalized(kGood), allora, normalized("0")};
        QTest::newRow("else without condition")
            << QVariantMap{{"txtFormulaAltrimenti", kGood}} << QString()
            << QStringList{allora, normalized(kGood)};
    }
    void messages() {
        QFETCH(QVariantMap, boxes);
        QFETCH(QString, message);
        QFETCH(QStringList, checked);
        EditedIndex form;
        for (auto box = boxes.cbegin(); box != boxes.cend(); ++box)
            form.type(qPrintable(box.key()), box.value().toString());

        QCOMPARE(ctlIndiciProbe::validate(form.control), message);
        QCOMPARE(form.engine->checked, checked);
        QCOMPARE(form.service.databaseCalls, 0); // code unchanged: no duplicate query
    }

    // Examined boxes are trimmed of spaces only, and formulas are left normalised; boxes that
    // are not examined keep their spaces.
    void trimsAndNormalisesInPlace() {
        EditedIndex form;
        form.type("txtCodice", QStringLiteral("  IND1 "));
        form.type("txtDescrizione", QStringLiteral("\tMargine  "));
        form.type("txtValoreScarso", QStringLiteral("   "));
        form.type("txtValoreBuono", QStringLiteral(" 3 "));
        form.type("txtFormulaCondizione", QStringLiteral("  Voce(\"A\")>0 "));
        form.type("txtFormulaAllora", QStringLiteral(" 1+2"));
        form.type("txtFormulaAltrimenti", QStringLiteral("0 "));
        form.type("txtTesto", QStringLiteral(" libero "));
        form.type("txtValErr", QStringLiteral(" 1 "));

        QCOMPARE(ctlIndiciProbe::validate(form.control), QString());
        QCOMPARE(form.text("txtCodice"), QStringLiteral("IND1"));
        QCOMPARE(form.text("txtDescrizione"), QStringLiteral("\tMargine"));
        QCOMPARE(form.text("txtValoreScarso"), QString());
        QCOMPARE(form.text("txtValoreBuono"), QStringLiteral("3"));
        QCOMPARE(form.text("txtFormulaCondizione"), normalized("Voce(\"A\")>0"));
        QCOMPARE(form.text("txtFormulaAllora"), normalized("1+2"));
        QCOMPARE(form.text("txtFormulaAltrimenti"), normalized("0"));
        QCOMPARE(form.text("txtTesto"), QStringLiteral(" libero "));
        QCOMPARE(form.text("txtValErr"), QStringLiteral(" 1 "));
    }

    // The duplicate test runs while adding or after a code change, on the trimmed code, first
    // of all checks and before any box is trimmed; another model's code is no duplicate.
    void duplicateCode_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        for (const QString& engine : TestDatabase::engines()) {
            const QByteArray e = engine.toUtf8();
            QTest::addRow("%s-adding taken", e.data()) << engine << true << " IND1 "
                                                       << "Codice esistente.";
            QTest::addRow("%s-adding free", e.data()) << engine << true << "IND9" << QString();
            QTest::addRow("%s-adding other model's", e.data())
                << engine << true << "ALTRO" << QString();
            QTest::addRow("%s-case differs", e.data()) << engine << true << "ind1" << QString();
            QTest::addRow("%s-quote in code", e.data()) << engine << true << "A'B" << QString();
            QTest::addRow("%s-code changed to taken", e.data()) << engine << false << "IND1"
                                                                << "Codice esistente.";
        }
    }
    void duplicateCode() {
        QFETCH(QString, engine);
        QFETCH(bool, adding);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        insertRow(database, fullRow(QStringLiteral("IND1")));
        database.exec(QStringLiteral("INSERT INTO KX06_MODELLI VALUES ('MOD2', 'Altro')"));
        QVariantMap other = fullRow(QStringLiteral("ALTRO"));
        other.insert(QStringLiteral("KX09_CODICEMODELLO_KX06"), QStringLiteral("MOD2"));
        insertRow(database, other);
        Editor editor(database.db(), QStringLiteral("OLD"));
        if (adding)
            editor.control.setAdding(true);
        editor.type("txtCodice", typed);
        if (!adding) // a code that differs from the host's outside add mode
            ctlIndiciProbe::setCodiceIndice(editor.control, typed);
        editor.type("txtDescrizione", QStringLiteral(" D "));
        editor.type("txtFormulaAllora", QStringLiteral("1"));

        QCOMPARE(ctlIndiciProbe::validate(editor.control), message);
        QCOMPARE(editor.service.databaseCalls, 1);
        if (!message.isEmpty()) // refused before anything was trimmed
            QCOMPARE(editor.text("txtDescrizione"), QStringLiteral(" D "));
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
            {it, "2e10", true},    {it, "\t7", true},         {it, "1.5", false},
            {it, "1.50", false},   {it, "12.34.567", false},  {it, "1,5,0", false},
            {it, "€ 5", false},    {it, "5%", false},         {it, "0x10", false},
            {it, "inf", false},    {it, "nan", false},        {it, "1e400", false},
            {it, "1 000", false},  {it, "abc", false},        {c, "1.5", true},
            {c, "-0.25e+2", true}, {c, "1,500.5", true},      {c, "1,5", false},
            {c, "1,50", false},    {c, "Infinity", false}};
        for (const auto& [locale, text, accepted] : cases)
            QTest::addRow("%s %s", qPrintable(locale.name()), text)
                << locale << QString::fromUtf8(text) << accepted;
    }
    void numericTest() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        LocaleScope scope(locale);
        EditedIndex form;
        form.type("txtValoreScarso", text);
        QCOMPARE(ctlIndiciProbe::validate(form.control),
                 accepted ? QString() : QStringLiteral("Inserire il valore scarso."));
    }
};

QTEST_MAIN(TestValidation)
#include "test_validation.moc"
