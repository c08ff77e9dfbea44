// The reference host service: schemas and sample model, its formula engine with the model's
// indices, SQL literals on both engines, the scripts of document fields, and the hotkeys.
#include "Schema.h"
#include "support/Host.h"

#include <K7XBO_Global/K7XBO_Global.h>

using demo::loadSampleModel;
using K7XBO_Global::CHotkeys;

class TestHostService : public QObject {
    Q_OBJECT
private slots:
    // A failing sample script changes nothing; the engines refuse what the form never holds; Indice
    // codes exist (one query a check), as in every sample formula; a literal finds its own row.
    void onBothEngines_data() { TestDatabase::addEngineRows(); }
    void onBothEngines() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine, {});
        const RuntimeError error = raisedBy([&] { loadSampleModel(host.database.db()); });
        QVERIFY2(error.description().contains("sample.sql"), error.what()); // BILANCIO is there
        QCOMPARE(host.indices(), 13);
        for (const char* table : {"KX20_RELAZIONI", "KX09_INDICE", "KX06_MODELLI"})
            host.database.exec(QLatin1String("DELETE FROM ") + table);
        loadSampleModel(host.database.db());
        QCOMPARE(host.indices(), 13);
        for (const auto& [code, model] :
             {std::pair{"UNDICICHARS", "BILANCIO"}, {"ROE", "BILANCIO"}, {"X", "NESSUNO"}})
            QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                     host.insertIndex(code, {{"KX09_CODICEMODELLO_KX06", model}}));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, host.database.exec("INSERT INTO KX20_RELAZIONI "
                                                                  "VALUES ('NESSUNO', 'R.docx')"));
        host.database.exec("INSERT INTO KX06_MODELLI VALUES ('L''ALTRO', '')");
        host.insertIndex("ALTRO", {{"KX09_CODICEMODELLO_KX06", "L'ALTRO"}});
        const QString none = " non esiste nel modello BILANCIO.";
        QList<QStringList> checks{
            {"BILANCIO", "Indice(\"ROE\") / Indice(\"roi\")", ""},
            {"BILANCIO", "Indice(\"ROE\") + Indice(\"XX\")",
             "L'indice \"XX\" alla posizione 24" + none},
            {"BILANCIO", "Indice(\"ALTRO\")", "L'indice \"ALTRO\" alla posizione 8" + none},
            {"L'ALTRO", "Indice(\"ALTRO\")", ""},
            {"BILANCIO", "Voce(\"XX\") + 1", ""}};
        QSqlQuery sample("SELECT F FROM (SELECT KX09_FORMULACONDIZIONE AS F FROM KX09_INDICE UNION "
                         "ALL SELECT KX09_FORMULAALLORA FROM KX09_INDICE UNION ALL SELECT "
                         "KX09_FORMULAALTRIMENTI FROM KX09_INDICE) AS A WHERE F <> ''",
                         host.database.db());
        while (sample.next())
            checks.append({"BILANCIO", sample.value(0).toString(), ""});
        QVERIFY(checks.size() > 25);
        K7XBO_Global::CFormulaEngine formulas;
        formulas.GlobalService(&host.service);
        for (const QStringList& check : checks) {
            QString text = check[1];
            const int calls = host.service.databaseCalls;
            formulas.ModelCode(check[0]);
            QCOMPARE(formulas.CheckFormula(text), check[2]);
            QCOMPARE(host.service.databaseCalls, calls + text.contains("Indice("));
            QCOMPARE(K7XBO_Global::CTextUtil::instance().NormalizeFormula(text), text);
        }
        const auto& util = K7XBO_Global::CTextUtil::instance();
        const QStringList texts{"ROE", "x", "C:\\dati\\'x", "fine\\"}; // decoys first
        const QString insert = "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                               "KX09_CODICEINDICE, KX09_DESCRIZIONE) VALUES ('BILANCIO', '%1', %2)";
        const QString find = "SELECT COUNT(*) || MAX(KX09_CODICEINDICE) || MAX(KX09_DESCRIZIONE) "
                             "FROM KX09_INDICE WHERE KX09_DESCRIZIONE=%1";
        for (const QString& text : texts) {
            const QString code = QString::number(texts.indexOf(text));
            const QString literal = util.SqlQuote(util.SqlEscape(text));
            host.database.exec(insert.arg(code, literal));
            QCOMPARE(host.database.value(find.arg(literal)).toString(), u'1' + code + text);
        }
    }

    // Typographic double quotes in a field's text become straight ones; all else stays.
    void fieldScripts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("script");
        QTest::newRow("Indice") << "Indice(“ROE”)" << QString("Indice(\"ROE\")");
        QTest::newRow("Voce") << "Voce(„A1″)" << QString("Voce(\"A1\")");
        const QString others = " ‘ROE’ 'x' «ROE» ′ Liquidità\r\n\t📊 ";
        QTest::newRow("other marks") << others << others;
    }
    void fieldScripts() {
        QFETCH(QString, text);
        QTEST(K7XBO_Global::CDocFields::instance().FieldScript(text).toString(), "script");
    }

    // A key pressed after the host gave `id` the `keys` (none: no assignment; no keys take the
    // hotkey away) reads as the hotkey given, empty when none; `id` then has those keys.
    void hotkeys_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QKeySequence>("pressed");
        QTest::addColumn<QString>("hotkey");
        using Keys = QKeySequence;
        const QString edit = "HKSTDEDIT", save = "HKSTDSAVE", none;
        QTest::newRow("F2") << none << Keys() << Keys("F2") << edit;
        QTest::newRow("Ctrl+S") << none << Keys() << Keys("Ctrl+S") << save;
        QTest::newRow("Esc") << none << Keys() << Keys("Esc") << "HKSTDUNDO";
        for (const char* keys : {"S", "Shift+F2", "Ctrl+Shift+S", "Alt+S", "Menu"})
            QTest::newRow(keys) << none << Keys() << Keys(keys) << none;
        QTest::newRow("moved to F4") << edit << Keys("F4") << Keys("F4") << edit;
        QTest::newRow("moved from F2") << edit << Keys("F4") << Keys("F2") << none;
        QTest::newRow("another moved") << edit << Keys("F4") << Keys("Ctrl+S") << save;
        QTest::newRow("taken away") << save << Keys() << Keys("Ctrl+S") << none;
        QTest::newRow("identifiers are case-sensitive")
            << "hkstdedit" << Keys("F4") << Keys("F4") << "hkstdedit";
        QTest::newRow("a new identifier")
            << "HKSTDPRINT" << Keys("Ctrl+Alt+9") << Keys("Ctrl+Alt+9") << "HKSTDPRINT";
    }
    void hotkeys() {
        QFETCH(QString, id);
        QFETCH(QKeySequence, keys);
        QFETCH(QKeySequence, pressed);
        CHotkeys hotkeys;
        if (!id.isEmpty()) {
            hotkeys.assign(id, keys);
            QCOMPARE(hotkeys.keysOf(id), keys);
        }
        qint16 code = CHotkeys::keyCodeOf(pressed[0].key());
        qint16 shift = CHotkeys::shiftOf(pressed[0].keyboardModifiers());
        QTEST(hotkeys.DetectHotkey(code, shift), "hotkey");
    }
};

QTEST_MAIN(TestHostService)
#include "test_host.moc"
