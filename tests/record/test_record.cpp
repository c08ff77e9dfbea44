// Loading, saving and validating the index row as a host drives the component on BILANCIO.
#include "support/Host.h"

#include <K7XBO_Global/CFormulaEngine.h>

namespace {

// A formula engine that refuses every formula naming ERR and remembers what it was asked.
struct RecordingEngine : K7XBO_Global::CFormulaEngine {
    QString CheckFormula(QString& formula) override {
        checked << formula;
        return formula.contains("ERR") ? "Formula errata: " + formula : QString();
    }
    QStringList checked;
};

// Boxes and their texts: numbers in C (a numeric box shows them in the locale's form), the
// chart list's index, the check box's state.
using Entries = QList<std::pair<QString, QString>>;
// Stored columns of an index of BILANCIO (KX09_ left out), and their values (null: Null).
struct Stored {
    QString code;
    QStringList columns;
    QVariantList values;
};
using Storeds = QList<Stored>;
// The form's boxes, each with its text in `texts` (in this order).
Entries form(const QStringList& texts) {
    static const QStringList boxes =
        QString("txtCodice txtDescrizione txtTesto txtValoreScarso txtDescrizioneScarso "
                "txtValoreNormale txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono "
                "txtFormulaCondizione txtFormulaAllora txtFormulaAltrimenti txtFormulaSimbolica "
                "txtValErr cmbGrafico ChkRelGest")
            .split(u' ');
    Entries all;
    for (qsizetype i = 0; i < boxes.size(); ++i)
        all.append({boxes[i], texts.value(i)});
    return all;
}

// A number of a numeric box (txtVal...) in C, as the locale writes it ("." and "," swapped, "E").
QString inLocale(const QString& box, QString text) {
    const bool italian = box.startsWith(u"txtVal") && QLocale().decimalPoint() == u",";
    for (QChar& c : text)
        if (const qsizetype at = QStringView(u".,eE").indexOf(c); italian && at >= 0)
            c = QStringView(u",.Ee")[at];
    return text;
}

// BILANCIO with the full rows IND1, IND2, NULLS (Null but its codes), FLOAT; ALTRO, ALTRÒ and a
// twin of IND1 in another model; and the formula engine that records.
struct RecordHost : TestHost {
    explicit RecordHost(const QString& engine) : TestHost(engine, {}) {
        insertIndex("IND1");
        insertIndex("IND2");
        QVariantMap nulls;
        for (const QString& column : stored("IND1").keys())
            if (!column.contains("CODICE"))
                nulls.insert(column, QVariant());
        insertIndex("NULLS", nulls);
        database.exec("INSERT INTO KX06_MODELLI VALUES ('MOD2', 'Altro')");
        insertIndex("ALTRO", {{"KX09_CODICEMODELLO_KX06", "MOD2"}});
        insertIndex("ALTRÒ", {{"KX09_CODICEMODELLO_KX06", "MOD2"}});
        insertIndex("IND1", {{"KX09_CODICEMODELLO_KX06", "MOD2"}});
        insertIndex("FLOAT", {{"KX09_VALOREBUONO", 0.1 + 0.2}});
        Probe::replaceFormulaEngine(*editor, formulas);
    }
    static const char* property(const QString& box) {
        return box == u"cmbGrafico" ? "currentIndex" : "text";
    }
    void enter(const Entries& entries) {
        for (const auto& [box, text] : entries) {
            if (box == u"ChkRelGest")
                child<QCheckBox>(box)->setCheckState(Qt::CheckState(text.toInt()));
            else
                child(box)->setProperty(property(box), inLocale(box, text));
        }
    }
    // What `expected`'s boxes show, in C.
    Entries shown(const Entries& expected) const {
        Entries boxes;
        for (const auto& [box, text] : expected) {
            const QString value = box == u"ChkRelGest"
                                      ? QString::number(child<QCheckBox>(box)->checkState())
                                      : child(box)->property(property(box)).toString();
            boxes.append({box, inLocale(box, value)});
        }
        return boxes;
    }
    RecordingEngine* formulas = new RecordingEngine;
    QStringList refusals; // what the saves raised
};

// How validation finds the form: showing an index, adding one, or with IND1 kept as the code of a
// new index saved.
enum class Mode { Viewing, Adding, KeptCode };

using Step = std::function<void(RecordHost&)>;
using Steps = QList<Step>;

Step load(const QString& code) {
    return Step([=](RecordHost& h) {
        h.editor->setCodiceIndice(code);
        h.editor->LoadIndice();
    });
}
Step enter(const Entries& entries) {
    return Step([=](RecordHost& h) { h.enter(entries); });
}
Step call(void (ctlIndici::*member)()) {
    return Step([=](RecordHost& h) { (h.editor->*member)(); });
}
Step adding(bool on) {
    return Step([=](RecordHost& h) { h.editor->setAdding(on); });
}
void save(RecordHost& h) {
    if (const RuntimeError error = raisedBy([&] { Probe::save(*h.editor); }); error.number())
        h.refusals << error.description();
}

// A stored value as text: Null, a Boolean as 0 or 1.
QString text(const QVariant& value) {
    return value.isNull()                      ? QStringLiteral("Null")
           : value.typeId() == QMetaType::Bool ? QString::number(value.toInt())
                                               : value.toString();
}
// The stored columns that `expected` names, each as "CODE.COLUMN = value", with their values now
// (`now`) or as expected.
QStringList rendered(const Storeds& expected, const RecordHost* now = nullptr) {
    QStringList columns;
    for (const Stored& s : expected)
        for (qsizetype i = 0; i < s.columns.size(); ++i)
            columns << s.code + '.' + s.columns[i] + " = " +
                           text(now ? now->stored(s.code).value("KX09_" + s.columns[i])
                                    : s.values.value(i));
    return columns;
}

// Adds a row for each engine and locale, named "engine/name locale", from its columns' values.
template <typename... Values> void addRows(const char* name, const Values&... values) {
    for (const QString& engine : TestDatabase::engines())
        for (const char* locale : {"it_IT", "C"})
            (QTest::addRow("%s/%s %s", qPrintable(engine), name, locale) << ... << values);
}

// The host for the current row on its engine and locale; none when the engine is not there.
std::unique_ptr<RecordHost> rowHost() {
    const QString tag = QTest::currentDataTag(), engine = tag.section(u'/', 0, 0);
    if (!TestDatabase::available(engine))
        return nullptr;
    QLocale::setDefault(QLocale(tag.section(u' ', -1)));
    return std::make_unique<RecordHost>(engine);
}

} // namespace

Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Storeds)

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    // What loads and saves leave on the form and in the table, and the saves refused.
    void rows_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Entries>("form");        // every box, when the row names any
        QTest::addColumn<Storeds>("stored");      // columns of the rows named
        QTest::addColumn<QStringList>("refused"); // a text of each save refused, in order
        QTest::addColumn<int>("added");           // rows added to the table
        const Step unload = call(&ctlIndici::UnloadIndice);
        const Step keep = [](RecordHost& h) {
            Probe::setCodiceIndice(*h.editor, "NEW");
        };
        const Entries ind1 = form({"IND1", "Margine IND1", "Testo\nsu due righe", "1.5", "Scarso",
                                   "2", "Normale", "1234567.25", "Buono", "Voce(\"A\") <> 0",
                                   "Voce(\"B\") / Voce(\"A\")", "0", "B / A", "-0.5", "2", "2"});
        const Entries emptied = form(
            {"", "", "", "", "Scarso", "", "Normale", "", "Buono", "", "", "", "", "0", "2", "2"});
        const Entries fresh{{"txtCodice", "NEW"},       {"txtDescrizione", "Nuovo"},
                            {"txtValoreScarso", "abc"}, {"txtDescrizioneScarso", "ignorato"},
                            {"txtValoreNormale", "3"},  {"txtFormulaAllora", "1"},
                            {"txtValErr", ""},          {"cmbGrafico", "-1"},
                            {"ChkRelGest", "2"}};
        const Stored ind1Kept{"IND1", {"DESCRIZIONE"}, {"Margine IND1"}};
        const Storeds untouched{ind1Kept, {"IND2", {"DESCRIZIONE"}, {"Margine IND2"}}};
        const QString missing{"L'indice \"NONE\" del modello \"BILANCIO\" non esiste nel database"};
        const Step edits = enter({{"txtCodice", "ALTRO"},
                                  {"txtDescrizione", "Margine lordo"},
                                  {"txtTesto", ""},
                                  {"txtValoreScarso", "-2.75"},
                                  {"txtDescrizioneScarso", "Poco"},
                                  {"txtValoreNormale", "1,5"},
                                  {"txtDescrizioneNormale", "non salvato"},
                                  {"txtValoreBuono", "1500.5"},
                                  {"txtValErr", "1.5e+20"},
                                  {"cmbGrafico", "0"},
                                  {"ChkRelGest", "1"}});
        const QStringList levelNormal{"VALORENORMALE", "DESCRIZIONENORMALE"};
        addRows("a full row", Steps{load("IND1")}, ind1, untouched, QStringList{}, 0);
        addRows(
            "every column saved; a level without its value keeps its comment",
            Steps{load("IND1"), edits, save}, Entries{},
            Storeds{{"IND1",
                     {"DESCRIZIONE", "TESTO", "VALORESCARSO", "DESCRIZIONESCARSO", "VALORENORMALE",
                      "DESCRIZIONENORMALE", "VALOREBUONO", "VALERR_FORMULA", "GRAFICO",
                      "DEFEXPRELGEST", "STANDARD"},
                     {"Margine lordo", "", -2.75, "Poco", 2, "Normale", 1500.5, 1.5e+20, 0, 0, 1}}},
            QStringList{}, 0);
        addRows("saved again: the level and its comment",
                Steps{load("IND1"), edits, save, enter({{"txtValoreNormale", "2.5"}}), save},
                Entries{}, Storeds{{"IND1", levelNormal, {2.5, "non salvato"}}}, QStringList{}, 0);
        addRows("a number the server rounds",
                Steps{[](RecordHost& h) {
                          if (h.database.engine() == u"postgresql")
                              h.database.exec("SET extra_float_digits = 0");
                      },
                      load("FLOAT"), enter({{"txtValoreBuono", "2"}}), save},
                Entries{}, Storeds{{"FLOAT", {"VALOREBUONO"}, {2}}}, QStringList{}, 0);
        addRows("Null columns keep what the form showed, and save",
                Steps{load("IND1"), load("NULLS"), enter({{"txtTesto", "x"}}), save},
                form({"NULLS", "Margine IND1", "x", "", "", "", "", "", "", "", "", "", "", "0",
                      "-1", "0"}),
                Storeds{{"NULLS", {"DESCRIZIONE", "TESTO"}, {{}, "x"}}}, QStringList{}, 0);
        addRows("two loads in a row: the second index is saved",
                Steps{load("IND1"), load("IND2"), enter({{"txtDescrizione", "Seconda"}}), save},
                Entries{}, Storeds{ind1Kept, {"IND2", {"DESCRIZIONE"}, {"Seconda"}}}, QStringList{},
                0);
        addRows("unloaded: the form empties; a save selects the index again",
                Steps{load("IND2"), unload, enter({{"txtDescrizione", "Dopo"}}), save, unload},
                emptied, Storeds{ind1Kept, {"IND2", {"DESCRIZIONE"}, {"Dopo"}}}, QStringList{}, 0);
        addRows("no row: the form keeps what it showed, saves are refused",
                Steps{load("IND2"), unload, load("NONE"), save, unload, save}, emptied, untouched,
                QStringList{missing, missing}, 0);
        addRows("a new index: refusals keep the entries, the save stores them once",
                Steps{load("IND1"), adding(true), enter(fresh), enter({{"txtCodice", "IND1"}}),
                      save, enter({{"txtCodice", "NEW"}, {"txtDescrizione", QString(51, 'x')}}),
                      save, enter({{"txtDescrizione", "Nuovo"}}), save},
                Entries{},
                Storeds{ind1Kept,
                        {"NEW",
                         {"DESCRIZIONE", "FORMULACONDIZIONE", "FORMULAALLORA", "VALORESCARSO",
                          "DESCRIZIONESCARSO", "VALORENORMALE", "GRAFICO", "VALERR_FORMULA",
                          "STANDARD", "DEFEXPRELGEST"},
                         {"Nuovo", "", "1", {}, {}, 3, {}, 0, 0, 1}}},
                QStringList{"Errore del database: ", "Errore del database: "}, 1);
        addRows("a new index saved, then saved again",
                Steps{load("IND1"), adding(true), enter(fresh), save, adding(false),
                      enter({{"txtDescrizione", "Ancora"}}), save, keep, unload,
                      enter({{"txtDescrizione", "Dopo"}}), save},
                Entries{}, Storeds{ind1Kept, {"NEW", {"DESCRIZIONE"}, {"Dopo"}}}, QStringList{}, 1);
        addRows("a new index with nothing loaded",
                Steps{adding(true), enter(fresh), enter({{"txtCodice", "CHIUSO"}}), save},
                Entries{}, Storeds{{"CHIUSO", {"DESCRIZIONE", "STANDARD"}, {"Nuovo", 0}}},
                QStringList{}, 1);
        addRows("LoadIndice while adding keeps the entries, whose save is refused",
                Steps{load("IND1"), adding(true), enter(fresh), call(&ctlIndici::LoadIndice), save},
                form({"NEW", "Nuovo", "", "abc", "ignorato", "3", "Normale", "", "Buono", "", "1",
                      "", "", "", "-1", "2"}),
                untouched,
                QStringList{{"Il modulo mostra l'indice \"NEW\" del modello \"BILANCIO\""}}, 0);
    }
    void rows() {
        QFETCH(Steps, steps);
        const auto host = rowHost();
        if (!host)
            QSKIP("PostgreSQL non disponibile: impostare CTL_TEST_PG");
        const int before = host->indices();
        for (const Step& step : steps)
            step(*host);
        QFETCH(Entries, form);
        QCOMPARE(host->shown(form), form);
        QFETCH(Storeds, stored);
        QCOMPARE(rendered(stored, host.get()), rendered(stored));
        QFETCH(QStringList, refused);
        QCOMPARE(host->refusals.size(), refused.size());
        for (qsizetype i = 0; i < refused.size(); ++i)
            QVERIFY2(host->refusals[i].contains(refused[i]), qPrintable(host->refusals[i]));
        QTEST(host->indices() - before, "added");
        QVERIFY(host->database
                    .value("SELECT 1 FROM KX09_INDICE WHERE KX09_DESCRIZIONE = 'Margine "
                           "IND1' AND KX09_CODICEMODELLO_KX06 = 'MOD2'")
                    .isValid());
    }

    // What validation answers for the entries over a valid form, the formulas it asked the
    // engine (their text normalised) and the boxes it trimmed. The duplicate test is its only
    // query, made for a new index or a changed code.
    void validation_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<Entries>("after");
        const QString taken = "Codice esistente.";
        const auto row = [](const char* name, const Entries& entries, const QString& message,
                            const QStringList& asked, Mode mode = Mode::Viewing,
                            const Entries& after = {}) {
            addRows(name, entries, mode, message, asked, after);
        };
        // Every field wrong from the one a message names on: that message is the answer.
        const Entries wrong{{"txtCodice", "  "},          {"txtDescrizione", " "},
                            {"txtValoreScarso", "x"},     {"txtValoreBuono", "y"},
                            {"txtValoreNormale", "1..2"}, {"txtFormulaAllora", " "}};
        const QStringList messages{"Inserire il codice.",         "Inserire la descrizione.",
                                   "Inserire il valore scarso.",  "Inserire il valore buono.",
                                   "Inserire il valore normale.", "Inserire 'Formula allora'."};
        row("valid", {}, "", {"1"});
        for (qsizetype i = 0; i < messages.size(); ++i)
            row(qPrintable(messages[i]), wrong.mid(i), messages[i], {});
        const QString error = "Formula errata: ERR";
        row("condition refused", {{"txtFormulaCondizione", "ERR"}}, error, {"ERR"});
        row("then refused", {{"txtFormulaAllora", "ERR"}, {"txtFormulaAltrimenti", "ERR"}}, error,
            {"ERR"});
        row("condition without else", {{"txtFormulaCondizione", "A"}},
            "Inserire 'Formula altrimenti'.", {"A", "1"});
        row("else refused", {{"txtFormulaCondizione", "A"}, {"txtFormulaAltrimenti", "ERR"}}, error,
            {"A", "1", "ERR"});
        row("condition and else", {{"txtFormulaCondizione", "A"}, {"txtFormulaAltrimenti", "0"}},
            "", {"A", "1", "0"});
        row("else without condition", {{"txtFormulaAltrimenti", "A"}}, "", {"1", "A"});
        const Entries spaced{{"txtCodice", "  IND1 "},
                             {"txtDescrizione", "\tMargine  "},
                             {"txtValoreScarso", "   "},
                             {"txtValoreBuono", " 3 "},
                             {"txtFormulaCondizione", "  Voce(\"A\")>0 "},
                             {"txtFormulaAllora", " 1+2"},
                             {"txtFormulaAltrimenti", "0 "},
                             {"txtTesto", " libero "},
                             {"txtValErr", " 1 "}};
        row("trimmed, formulas normalised", spaced, "", {"Voce(\"A\") > 0", "1 + 2", "0"},
            Mode::Viewing,
            {{"txtCodice", "IND1"},
             {"txtDescrizione", "\tMargine"},
             {"txtValoreScarso", ""},
             {"txtValoreBuono", "3"},
             {"txtFormulaCondizione", "Voce(\"A\") > 0"},
             {"txtFormulaAllora", "1 + 2"},
             {"txtFormulaAltrimenti", "0"},
             {"txtTesto", " libero "},
             {"txtValErr", " 1 "}});
        const Entries spacedD{{"txtCodice", " IND1 "}, {"txtDescrizione", " D "}};
        row("a new index's code taken, before trimming", spacedD, taken, {}, Mode::Adding,
            {{"txtDescrizione", " D "}});
        row("a code of another model", {{"txtCodice", "ALTRO"}}, "", {"1"}, Mode::Adding);
        row("... beyond ASCII", {{"txtCodice", "ALTRÒ"}}, "", {"1"}, Mode::Adding);
        row("a code taken in another case", {{"txtCodice", "ind2"}}, taken, {}, Mode::Adding);
        row("a code made of SQL", {{"txtCodice", "\\'OR 1=1--"}}, "", {"1"}, Mode::Adding);
        row("a code kept from adding is tested", spacedD, taken, {}, Mode::KeptCode);
        for (const char* number : {"1.5", "-1.5", "+2", "1.5e-3", "\t7", "-0.25e+2", "1500.5"})
            row(qPrintable(QString("number ") + number), {{"txtValoreScarso", number}}, "", {"1"});
        for (const char* text : {"1,500", "1,5", "1,50", "12,34,567", "1.5.0", "€ 5", "5%", "0x10",
                                 "inf", "nan", "1e400", "1 000"})
            row(qPrintable(QString("not a number ") + text), {{"txtValoreScarso", text}},
                "Inserire il valore scarso.", {});
    }
    void validation() {
        QFETCH(Entries, entries);
        QFETCH(Mode, mode);
        const auto host = rowHost();
        if (!host)
            QSKIP("PostgreSQL non disponibile: impostare CTL_TEST_PG");
        ctlIndici& e = *host->editor;
        if (host->database.engine() == u"postgresql")
            host->database.exec("SET standard_conforming_strings = off");
        if (mode == Mode::Adding)
            e.setAdding(true);
        if (mode == Mode::KeptCode)
            Probe::setCodiceIndice(e, "IND1");
        host->enter({{"txtCodice", "IND1"}, {"txtDescrizione", "D"}, {"txtFormulaAllora", "1"}});
        host->enter(entries);
        const int calls = host->service.databaseCalls;
        QTEST(Probe::validate(e), "message");
        QTEST(host->formulas->checked, "asked");
        QFETCH(Entries, after);
        QCOMPARE(host->shown(after), after);
        QCOMPARE(host->service.databaseCalls - calls, mode == Mode::Viewing ? 0 : 1);
    }
};

QTEST_MAIN(TestRecord)
#include "test_record.moc"
