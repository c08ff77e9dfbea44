// The component's surface as a host sees it: a new instance in the language the host asks for
// (Italian unless it asks for English), Destroy and the hand-overs after it.
#include "support/Host.h"

#include <K7X_DoruVevuzu/Translation.h>

#include <QLabel>
#include <QTabWidget>

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    // A new instance has the design size; a label, a tab and a tool speak the language; the chart
    // list offers no type and the three chart types, by their stored numbers, none chosen.
    void newInstance_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("texts");
        QTest::newRow("default") << ""
                                 << "Codice Generale Modifica";
        QTest::newRow("english") << "en"
                                 << "Code General Edit";
        QTest::newRow("italian again") << "it"
                                       << "Codice Generale Modifica";
    }
    void newInstance() {
        QFETCH(QString, language);
        QVERIFY(K7X_DoruVevuzu::loadTranslation(language));
        ctlIndici editor;
        QVERIFY(!K7X_DoruVevuzu::loadTranslation(QStringLiteral("xx")));
        QTEST(QStringList({editor.findChild<QLabel*>("Label1")->text(),
                           editor.findChild<QTabWidget*>("sstIndice")->tabText(0),
                           editor.findChild<QAction*>("tbEdit")->text()})
                  .join(u' '),
              "texts");
        QCOMPARE(editor.size(), QSize(696, 467));
        QVERIFY(!editor.Adding());
        auto* list = editor.findChild<QComboBox*>("cmbGrafico");
        QStringList entries{QString::number(list->currentIndex())};
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        QCOMPARE(entries, QStringList({"-1", "", "Barre", "Linee", "Torta"}));
    }

    // Destroy twice on a loaded index; afterwards the formula engine is gone and the hand-overs
    // fail.
    void destroyTwiceThenHandOversFail() {
        TestHost host;
        host.editor->Destroy();
        host.editor->Destroy();
        QVERIFY(!host.editor->findChild<K7XBO_Global::CFormulaEngine*>());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, host.editor->setCodiceModello("M"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, host.editor->setCGlobal(&host.service));
    }
};

QTEST_MAIN(TestLifecycle)
#include "test_lifecycle.moc"
