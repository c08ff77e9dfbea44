// The formula language as the validation and the editor use it: CheckFormula's answers,
// the canonical form written by NormalizeFormula, the existence test of Indice codes, and the
// rewriting of references by ReplaceIndice.
#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "host/FormulaSyntax.h"
#include "support/TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using K7XBO_Global::CFormulaEngine;
using K7XBO_Global::CTextUtil;
namespace formula = K7XBO_Global::formula;

namespace {

QString check(QString text) {
    return CFormulaEngine().CheckFormula(text);
}
QString normalize(const QString& text) {
    return CTextUtil::instance().NormalizeFormula(text);
}

// Sound formulas with their canonical form (the sample model's formulas: below).
void addCanonicalRows() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("canonical");
    const auto row = [](const char* written, const char* canonical) {
        QTest::newRow(written) << QString::fromUtf8(written) << QString::fromUtf8(canonical);
    };
    row("se(indice( \"roe\" )>=12 or INDICE(\"ROI\")>=10;3;2)",
        "SE(Indice(\"roe\") >= 12 OR Indice(\"ROI\") >= 10; 3; 2)");
    row("  arrotonda( voce(\"A\")/2 ;\n2 )  ", "ARROTONDA(Voce(\"A\") / 2; 2)");
    row("-2^-1--3", "-2 ^ -1 - -3");
    row("2^3^2", "2 ^ 3 ^ 2");
    row("not not 1<>0 and 0", "NOT NOT 1 <> 0 AND 0");
    row("non(1)", "NON (1)");
    row("1+2*3-4/5", "1 + 2 * 3 - 4 / 5");
    row("((1))", "((1))");
    row("1.50<=.5e0", "1.50<=.5e0"); // unparsable: kept as written
    row("Voce(\"A\"\"B\")", "Voce(\"A\"\"B\")");
    row("Voce(\"città\")\t<\t3", "Voce(\"città\") < 3");
}

} // namespace

class TestFormulaLanguage : public QObject {
    Q_OBJECT
private slots:
    void checkMessages_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* text, const char* message) {
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(message);
        };
        row("Voce(\"PATRNETTO\") > 0", "");
        row("ARROTONDA(Voce(\"A\"); 2) + ARROTONDA(1)", "");
        row("SE(Voce(\"A\") <> 0 E (1 < 2 O NON 0); -Voce(\"B\"); 0)", "");
        row("Indice(\"NON_CONTROLLATO\")", ""); // no host service: codes are not looked up
        row("", "La formula è vuota.");
        row("1 +", "La formula è incompleta: alla posizione 4 manca un valore.");
        row("(1 + 2", "La parentesi aperta alla posizione 1 non è chiusa.");
        row("1 + 2)", "Parentesi chiusa senza apertura alla posizione 6.");
        row("1 2", "Errore di sintassi alla posizione 3: atteso un operatore invece di '2'.");
        row("(1 2)",
            "Errore di sintassi alla posizione 4: atteso un operatore o ')' invece di '2'.");
        row("MIN(1;;2)", "Errore di sintassi alla posizione 7: atteso un valore invece di ';'.");
        row("1 + E", "Errore di sintassi alla posizione 5: atteso un valore invece di 'E'.");
        row("1 < 2 < 3", "Errore di sintassi alla posizione 7: due confronti di seguito; per "
                         "unirli usare E oppure O.");
        row("1,5", "Carattere non valido ',' alla posizione 2: i decimali si scrivono col punto "
                   "e gli argomenti si separano con ';'.");
        row("2 # 3", "Carattere non valido '#' alla posizione 3.");
        row("1.2.3 + 1", "Numero non valido '1.2.3' alla posizione 1: i decimali si scrivono "
                         "dopo il punto, come in 1.5.");
        row("Voce(\"A) + 1", "Virgolette aperte alla posizione 6 e mai chiuse.");
        row("\"A\" + 1", "Il testo tra virgolette alla posizione 1 è ammesso solo come codice "
                         "di Indice o Voce.");
        row("ROE * 2", "Nome sconosciuto 'ROE' alla posizione 1: un codice si scrive come "
                       "Indice(\"ROE\") o Voce(\"ROE\").");
        row("RADICE(4)", "Funzione sconosciuta 'RADICE' alla posizione 1.");
        row("2 * abs", "Dopo ABS alla posizione 5 manca '('.");
        row("ABS()", "ABS alla posizione 1 vuole 1 argomento, non 0.");
        row("MAX(1)", "MAX alla posizione 1 vuole almeno 2 argomenti, non 1.");
        row("ARROTONDA(1; 2; 3)", "ARROTONDA alla posizione 1 vuole da 1 a 2 argomenti, non 3.");
        row("SE(1; 2)", "SE alla posizione 1 vuole 3 argomenti, non 2.");
        row("1 + indice(ROE)", "Indice alla posizione 5 vuole il codice tra virgolette, per "
                               "esempio Indice(\"ROE\").");
        row("Voce(\"\")", "Il codice di Voce alla posizione 6 è vuoto.");
        row("Voce(\"A\"; \"B\")", "Voce alla posizione 1 vuole 1 argomento, non 2.");
    }

    void checkMessages() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(check(text), message);
    }

    void canonicalForm_data() { addCanonicalRows(); }

    // The canonical form is written once and for all, and means what the user wrote.
    void canonicalForm() {
        QFETCH(QString, written);
        QFETCH(QString, canonical);
        const QString once = normalize(written);
        QCOMPARE(once, canonical);
        QCOMPARE(normalize(once), once);
        const formula::ParseResult before = formula::parseFormula(written);
        const formula::ParseResult after = formula::parseFormula(once);
        QCOMPARE(bool(after.root), bool(before.root));
        if (before.root)
            QVERIFY(*after.root == *before.root);
    }

    void noInputExhaustsTheStack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sound");
        QTest::newRow("open parentheses") << QString(100000, u'(') << false;
        QTest::newRow("nested calls") << QStringLiteral("ABS(").repeated(100000) << false;
        QTest::newRow("minus signs") << QString(100000, u'-') + u'1' << false;
        QTest::newRow("NON") << QStringLiteral("NON ").repeated(100000) + u'1' << false;
        QTest::newRow("powers") << QStringLiteral("2^").repeated(100000) + u'2' << false;
        QTest::newRow("long sum") << QStringLiteral("1 + ").repeated(100000) + u'1' << true;
        QTest::newRow("long chain of E") << QStringLiteral("1 E ").repeated(100000) + u'1' << true;
        QTest::newRow("nesting at the limit") << QString(formula::kMaxNesting - 1, u'(') + u'1' +
                                                     QString(formula::kMaxNesting - 1, u')')
                                              << true;
    }

    void noInputExhaustsTheStack() {
        QFETCH(QString, text);
        QFETCH(bool, sound);
        const QString message = check(text);
        if (sound) {
            QCOMPARE(message, QString());
            QCOMPARE(normalize(normalize(text)), normalize(text));
        } else {
            QVERIFY2(message.contains(QStringLiteral("più di 100 livelli")), qPrintable(message));
            QCOMPARE(normalize(text), text);
        }
    }

    void indexCodesAreLookedUpInTheModel_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString bilancio = QStringLiteral("BILANCIO"), other = QStringLiteral("L'ALTRO");
        const QString none = QStringLiteral(" non esiste nel modello BILANCIO.");
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("known") << bilancio << "Indice(\"ROE\") / Indice(\"ROI\")" << QString();
            row("ignoring case") << bilancio << "Indice(\"roe\")" << QString();
            row("unknown") << bilancio << "Indice(\"ROE\") + Indice(\"XX\")"
                           << "L'indice \"XX\" alla posizione 24" + none;
            row("of another model") << bilancio << "Indice(\"ALTRO\")"
                                    << "L'indice \"ALTRO\" alla posizione 8" + none;
            row("quote in the model code") << other << "Indice(\"ALTRO\")" << QString();
            row("data codes are not indices") << bilancio << "Voce(\"XX\") + 1" << QString();
        });
    }

    void indexCodesAreLookedUpInTheModel() {
        QFETCH(QString, engine);
        QFETCH(QString, model);
        QFETCH(QString, text);
        QFETCH(QString, message);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        database.exec(QStringLiteral("INSERT INTO KX06_MODELLI VALUES ('L''ALTRO', '')"));
        database.exec(QStringLiteral("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                                     "KX09_CODICEINDICE) VALUES ('L''ALTRO', 'ALTRO')"));
        K7XBO_Global::CGlobal service(database.db());
        CFormulaEngine engineUnderTest;
        engineUnderTest.GlobalService(&service);
        engineUnderTest.ModelCode(model);
        QCOMPARE(engineUnderTest.CheckFormula(text), message);
    }

    // Every formula of the sample model is sound, names indices of its model and is already
    // written in the canonical form.
    void sampleFormulasAreCanonical_data() { TestDatabase::addEngineRows(); }
    void sampleFormulasAreCanonical() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        K7XBO_Global::CGlobal service(database.db());
        CFormulaEngine formulas;
        formulas.GlobalService(&service);
        formulas.ModelCode(QStringLiteral("BILANCIO"));
        QSqlQuery query(database.db());
        QVERIFY(query.exec(QStringLiteral(
            "SELECT KX09_FORMULACONDIZIONE, KX09_FORMULAALLORA, KX09_FORMULAALTRIMENTI "
            "FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06 = 'BILANCIO'")));
        int count = 0;
        while (query.next()) {
            for (int column = 0; column < 3; ++column) {
                QString text = query.value(column).toString();
                if (text.isEmpty())
                    continue;
                ++count;
                QCOMPARE(normalize(text), text);
                QCOMPARE(formulas.CheckFormula(text), QString());
            }
        }
        QVERIFY(count > 20);
    }

    // ReplaceIndice as a host calls it: references to the old code are rewritten, all else stays.
    void replaceIndice_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("oldCode");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("expected");
        const QString a1 = QStringLiteral("A1"), b2 = QStringLiteral("B2");
        auto row = [&](const char* name, const char* script, const QString& oldCode,
                       const QString& newCode, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(script) << oldCode << newCode
                                << QString::fromUtf8(expected);
        };
        row("spaced, other code kept", "Indice( \"A1\" ) + Indice( \"C3\" )", a1, b2,
            "Indice(\"B2\") + Indice( \"C3\" )");
        row("keyword and code in any case", "2*INDICE( \"a1\" )", a1, b2, "2*Indice(\"B2\")");
        row("every reference", "Indice( \"A1\" ) - Indice( \"A1\" )", a1, b2,
            "Indice(\"B2\") - Indice(\"B2\")");
        row("tabs and line breaks", "Indice(\t\"A1\"\r\n)", a1, b2, "Indice(\"B2\")");
        row("same code rewrites the form", "indice( \"a1\" )", a1, a1, "Indice(\"A1\")");
        row("empty new code", "Indice(\"A1\")", a1, QString(), "Indice(\"\")");
        row("tail of a longer name matching", "MaxIndice(\"A1\")", a1, b2, "MaxIndice(\"B2\")");
        row("no closing mark", "Indice( \"A1\"", a1, b2, "Indice( \"A1\"");
        row("closing mark only for the inner one", "Indice(Indice(\"A1\")", a1, b2,
            "Indice(Indice(\"B2\")");
        row("empty argument", "Indice() + Indice(\"A1\")", a1, b2, "Indice() + Indice(\"B2\")");
        row("blank argument", "Indice(  )", a1, b2, "Indice(  )");
        row("longer code", "Indice(\"A10\") + Indice(\"XA1\")", a1, b2,
            "Indice(\"A10\") + Indice(\"XA1\")");
        row("code without quotes", "Indice(A1)", a1, b2, "Indice(A1)");
        row("quote inside the old code", "Indice(\"A\"\"1\")", QStringLiteral("A\"1"), b2,
            "Indice(\"B2\")");
        row("quote inside the new code", "Indice(\"A1\")", a1, QStringLiteral("X\"Y"),
            "Indice(\"X\"\"Y\")");
        row("new code holding the keyword", "Indice(\"A1\") + Indice(\"A1\")", a1,
            QStringLiteral("Indice("), "Indice(\"Indice(\") + Indice(\"Indice(\")");
        row("no keyword", "Voce(\"A1\") / 2", a1, b2, "Voce(\"A1\") / 2");
        row("non-ASCII around", "«Indice(\"À1\")» è", QStringLiteral("à1"), b2,
            "«Indice(\"B2\")» è");
    }

    void replaceIndice() {
        QFETCH(QString, script);
        QFETCH(QString, oldCode);
        QFETCH(QString, newCode);
        QFETCH(QString, expected);
        K7X_DoruVevuzu::ctlIndici editor;
        editor.ReplaceIndice(script, oldCode, newCode);
        QCOMPARE(script, expected);
    }
};

QTEST_MAIN(TestFormulaLanguage)
#include "test_formula_language.moc"
