// The reference host service as the component calls it: the scripts of document fields and the
// hotkeys, with their defaults and as a host reassigns them.
#include <K7XBO_Global/K7XBO_Global.h>

#include <QSqlDatabase>
#include <QtTest>

using K7XBO_Global::CHotkeys;

Q_DECLARE_METATYPE(Qt::Key)

class TestHostService : public QObject {
    Q_OBJECT

    static QString detect(CHotkeys& hotkeys, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        qint16 keyCode = CHotkeys::keyCodeOf(key);
        qint16 shift = CHotkeys::shiftOf(modifiers);
        return hotkeys.DetectHotkey(keyCode, shift);
    }

private slots:
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

QTEST_GUILESS_MAIN(TestHostService)
#include "test_host_service.moc"
