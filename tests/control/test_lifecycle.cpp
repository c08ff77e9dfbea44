// The component's surface as a host sees it: a new instance in the language the host asks for
// (Italian unless it asks for English), Destroy and the hand-overs after it.
#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/Translation.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    // The texts follow the language; the chart list offers no type and the three chart types,
    // by their stored numbers, none chosen.
    void newInstance_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts"); // a label, a tab, a tool
        QTest::newRow("default") << "" << QStringList{"Codice", "Generale", "Modifica"};
        QTest::newRow("english") << "en" << QStringList{"Code", "General", "Edit"};
        QTest::newRow("italian again") << "it" << QStringList{"Codice", "Generale", "Modifica"};
    }
    void newInstance() {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        QVERIFY(K7X_DoruVevuzu::loadTranslation(language));
        ctlIndici editor;
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("Label1"))->text(), texts[0]);
        QCOMPARE(editor.findChild<QTabWidget*>(QStringLiteral("sstIndice"))->tabText(0), texts[1]);
        QCOMPARE(editor.findChild<QAction*>(QStringLiteral("tbEdit"))->text(), texts[2]);
        QVERIFY(!K7X_DoruVevuzu::loadTranslation(QStringLiteral("xx")));
        QCOMPARE(editor.Adding(), false);
        auto* list = editor.findChild<QComboBox*>(QStringLiteral("cmbGrafico"));
        QCOMPARE(list->currentIndex(), -1);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        QCOMPARE(entries, QStringList({QString(), "Barre", "Linee", "Torta"}));
    }

    void destroyTwiceThenHandOversFail() {
        ctlIndici editor;
        editor.Destroy();
        editor.Destroy();
        QVERIFY(!editor.findChild<K7XBO_Global::CFormulaEngine*>());
        K7XBO_Global::CGlobal service{QSqlDatabase()};
        QVERIFY_THROWS_EXCEPTION(RuntimeError, editor.setCodiceModello(QStringLiteral("M")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, editor.setCGlobal(&service));
    }
};

QTEST_MAIN(TestLifecycle)
#include "test_lifecycle.moc"
