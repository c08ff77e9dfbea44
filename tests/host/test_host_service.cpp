// The reference host service as a host configures it and as the component calls it.
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
    void docFieldsDefaults() {
        const auto& fields = K7XBO_Global::CDocFields::instance();
        QCOMPARE(fields.DocFolder(), QStringLiteral("Documenti"));
        QCOMPARE(fields.FieldStart(), QStringLiteral("{{"));
        QCOMPARE(fields.FieldEnd(), QStringLiteral("}}"));
    }

    void fieldScript_data() {
        QTest::addColumn<QString>("fieldText");
        QTest::addColumn<QString>("script");
        QTest::newRow("plain") << "Indice(\"ROE\") * 2"
                               << "Indice(\"ROE\") * 2";
        QTest::newRow("curly quotes") << "Indice(“ROE”)"
                                      << "Indice(\"ROE\")";
        QTest::newRow("low and double prime") << "Voce(„A1″)"
                                              << "Voce(\"A1\")";
        QTest::newRow("every kind") << "“”„″"
                                    << "\"\"\"\"";
        QTest::newRow("single quotes kept") << "‘ROE’ 'x'"
                                            << "‘ROE’ 'x'";
        QTest::newRow("guillemets and prime kept") << "«ROE» ′"
                                                   << "«ROE» ′";
        QTest::newRow("other text kept") << " Liquidità\r\n\t📊 "
                                         << " Liquidità\r\n\t📊 ";
        QTest::newRow("empty") << ""
                               << "";
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
        const Qt::KeyboardModifiers none;
        QTest::newRow("F2") << Qt::Key_F2 << none << "HKSTDEDIT";
        QTest::newRow("Ctrl+S") << Qt::Key_S << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << "HKSTDSAVE";
        QTest::newRow("Escape") << Qt::Key_Escape << none << "HKSTDUNDO";
        QTest::newRow("S") << Qt::Key_S << none << "";
        QTest::newRow("Shift+F2") << Qt::Key_F2 << Qt::KeyboardModifiers(Qt::ShiftModifier) << "";
        QTest::newRow("Ctrl+Shift+S")
            << Qt::Key_S << (Qt::ControlModifier | Qt::ShiftModifier) << "";
        QTest::newRow("Alt+S") << Qt::Key_S << Qt::KeyboardModifiers(Qt::AltModifier) << "";
        QTest::newRow("F3") << Qt::Key_F3 << none << "";
        QTest::newRow("Return") << Qt::Key_Return << none << "";
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

    void globalSettings() {
        QSqlDatabase none;
        K7XBO_Global::CGlobal service(none);
        QCOMPARE(service.CanEditStandard(), false);
        service.setCanEditStandard(true);
        QCOMPARE(service.CanEditStandard(), true);
        service.setCanEditStandard(false);
        QCOMPARE(service.CanEditStandard(), false);

        QVERIFY(service.HostApp());
        QCOMPARE(service.HostApp()->property("Path").toString(), QString());
        service.setAppPath(QStringLiteral("/opt/analisi dati/modelli"));
        QCOMPARE(service.HostApp()->property("Path").toString(),
                 QStringLiteral("/opt/analisi dati/modelli"));
        QVERIFY(service.Database());
        QVERIFY(service.Hotkeys());
    }
};

QTEST_GUILESS_MAIN(TestHostService)
#include "test_host_service.moc"
