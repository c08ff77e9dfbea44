// The reference host: the schemas and the sample model, created the way the demo host creates
// them; SQL literals made by the host's text service, sent through them and read back; the
// scripts of document fields and the hotkeys, with their defaults and as a host reassigns them.
// That the sample's formulas are sound and name its own indices: test_formula_language.
#include "data/Schema.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using K7X_DoruVevuzu::RuntimeError;
using K7XBO_Global::CHotkeys;

Q_DECLARE_METATYPE(Qt::Key)

namespace {

QString detect(CHotkeys& hotkeys, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    qint16 keyCode = CHotkeys::keyCodeOf(key);
    qint16 shift = CHotkeys::shiftOf(modifiers);
    return hotkeys.DetectHotkey(keyCode, shift);
}

QString literal(const QString& value) {
    const auto& text = K7XBO_Global::CTextUtil::instance();
    return text.SqlQuote(text.SqlEscape(value));
}

QString insertIndex(const QString& code, const QString& text) {
    return QStringLiteral("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                          "KX09_DESCRIZIONE, KX09_TESTO) VALUES ('M', '%1', %2, %2)")
        .arg(code, literal(text));
}

} // namespace

class TestHost : public QObject {
    Q_OBJECT
private slots:
    // A script that fails half-way leaves the database as it was.
    void failingScriptChangesNothing_data() { TestDatabase::addEngineRows(); }
    void failingScriptChangesNothing() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('BILANCIO')");
        const RuntimeError error =
            raisedBy([&] { K7X_DoruVevuzu::data::loadSampleModel(database.db()); });
        QVERIFY2(error.description().contains("sample.sql"), error.what());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 0);
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX06_MODELLI").toInt(), 1);
        // The transaction was ended: the same connection loads the model once the clash is gone.
        database.exec("DELETE FROM KX06_MODELLI");
        K7X_DoruVevuzu::data::loadSampleModel(database.db());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 13);
    }

    // Both engines refuse what the form could never hold.
    void engineRefusesInvalidRows_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("statement");
        const QString index = "INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                              "KX09_CODICEINDICE) VALUES ";
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("code too long") << index + "('BILANCIO', 'UNDICICHARS')";
            row("unknown model") << index + "('NESSUNO', 'X')";
            row("duplicate code") << index + "('BILANCIO', 'ROE')";
            row("document of unknown model")
                << "INSERT INTO KX20_RELAZIONI (KX20_CODICEMODELLO_KX06, KX20_NOMEDOCUMENTO) "
                   "VALUES ('NESSUNO', 'Relazione.docx')";
        });
    }
    void engineRefusesInvalidRows() {
        QFETCH(QString, engine);
        QFETCH(QString, statement);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine, true);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, database.exec(statement));
    }

    // The text is stored by an INSERT and found again by a SELECT, both built with literals;
    // decoy rows catch a literal that matches too much. Quotes are the one character a literal
    // changes, and every query of the component runs with hostile codes in tests/hostile; left
    // are backslashes, which a PostgreSQL session without standard_conforming_strings reads as
    // escapes (the host service turns it on).
    void roundTrip_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        TestDatabase::addRowsPerEngine([](auto row) {
            row("backslash before quote") << QStringLiteral("C:\\dati\\'x");
            row("trailing backslash") << QStringLiteral("fine\\");
        });
    }
    void roundTrip() {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        if (engine == QLatin1String("postgresql"))
            database.exec("SET standard_conforming_strings = off");
        K7XBO_Global::CGlobal service(database.db());
        const QSqlDatabase db = service.Database()->Connection();
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('M')");
        database.exec(insertIndex("ROE", QStringLiteral("ROE")));
        database.exec(insertIndex("ALTRO", QStringLiteral("x")));
        QSqlQuery insert(db);
        QVERIFY2(insert.exec(insertIndex("HOSTILE", text)), qPrintable(insert.lastError().text()));

        QSqlQuery select(db);
        QVERIFY2(select.exec("SELECT KX09_CODICEINDICE, KX09_TESTO FROM KX09_INDICE "
                             "WHERE KX09_DESCRIZIONE=" +
                             literal(text)),
                 qPrintable(select.lastError().text()));
        QVERIFY(select.next());
        QCOMPARE(select.value(0).toString(), QStringLiteral("HOSTILE"));
        QCOMPARE(select.value(1).toString(), text);
        QVERIFY(!select.next());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 3);
    }

    // Typographic double quotes become straight ones; every other character stays.
    void fieldScript_data() {
        QTest::addColumn<QString>("fieldText");
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const char* text, const char* script) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(script);
        };
        row("curly quotes", "Indice(“ROE”)", "Indice(\"ROE\")");
        row("low and double prime", "Voce(„A1″)", "Voce(\"A1\")");
        row("single quotes kept", "‘ROE’ 'x'", "‘ROE’ 'x'");
        row("guillemets and prime kept", "«ROE» ′", "«ROE» ′");
        row("other text kept", " Liquidità\r\n\t📊 ", " Liquidità\r\n\t📊 ");
    }
    void fieldScript() {
        QFETCH(QString, fieldText);
        QFETCH(QString, script);
        const QVariant result = K7XBO_Global::CDocFields::instance().FieldScript(fieldText);
        QCOMPARE(result.toString(), script);
    }

    void defaultHotkeys_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("hotkey");
        const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier);
        QTest::newRow("F2") << Qt::Key_F2 << none << "HKSTDEDIT";
        QTest::newRow("Ctrl+S") << Qt::Key_S << ctrl << "HKSTDSAVE";
        QTest::newRow("Escape") << Qt::Key_Escape << none << "HKSTDUNDO";
        QTest::newRow("S") << Qt::Key_S << none << "";
        QTest::newRow("Shift+F2") << Qt::Key_F2 << Qt::KeyboardModifiers(Qt::ShiftModifier) << "";
        QTest::newRow("Ctrl+Shift+S") << Qt::Key_S << (ctrl | Qt::ShiftModifier) << "";
        QTest::newRow("Alt+S") << Qt::Key_S << Qt::KeyboardModifiers(Qt::AltModifier) << "";
        QTest::newRow("key without code") << Qt::Key_Menu << none << "";
    }
    void defaultHotkeys() {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, hotkey);
        K7XBO_Global::CGlobal service{QSqlDatabase()};
        QCOMPARE(detect(*service.Hotkeys(), key, modifiers), hotkey);
    }

    void assignReplacesKeys() {
        CHotkeys hotkeys;
        hotkeys.assign(QStringLiteral("HKSTDEDIT"), QKeySequence(Qt::Key_F4));
        QCOMPARE(detect(hotkeys, Qt::Key_F4, {}), QStringLiteral("HKSTDEDIT"));
        QCOMPARE(detect(hotkeys, Qt::Key_F2, {}), QString());
        QCOMPARE(detect(hotkeys, Qt::Key_S, Qt::ControlModifier), QStringLiteral("HKSTDSAVE"));

        hotkeys.assign(QStringLiteral("HKSTDSAVE"), QKeySequence());
        QCOMPARE(detect(hotkeys, Qt::Key_S, Qt::ControlModifier), QString());
        QCOMPARE(hotkeys.keysOf(QStringLiteral("HKSTDSAVE")), QKeySequence());

        hotkeys.assign(QStringLiteral("HKSTDSAVE"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_9));
        QCOMPARE(detect(hotkeys, Qt::Key_9, Qt::ControlModifier | Qt::AltModifier),
                 QStringLiteral("HKSTDSAVE"));
        QCOMPARE(detect(hotkeys, Qt::Key_Escape, {}), QStringLiteral("HKSTDUNDO"));
    }
};

QTEST_GUILESS_MAIN(TestHost)
#include "test_host.moc"
