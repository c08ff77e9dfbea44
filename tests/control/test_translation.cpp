// The form speaks Italian unless the host asks for English; the stored behaviour is the same.
#include <K7X_DoruVevuzu/Translation.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;

class TestTranslation : public QObject {
    Q_OBJECT
private slots:
    void formTexts_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts"); // a label, a tab, a tool
        QTest::newRow("default") << "" << QStringList{"Codice", "Generale", "Modifica"};
        QTest::newRow("english") << "en" << QStringList{"Code", "General", "Edit"};
        QTest::newRow("italian again") << "it" << QStringList{"Codice", "Generale", "Modifica"};
    }
    void formTexts() {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        QVERIFY(K7X_DoruVevuzu::loadTranslation(language));
        ctlIndici editor;
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("Label1"))->text(), texts[0]);
        QCOMPARE(editor.findChild<QTabWidget*>(QStringLiteral("sstIndice"))->tabText(0), texts[1]);
        QCOMPARE(editor.findChild<QAction*>(QStringLiteral("tbEdit"))->text(), texts[2]);
        QCOMPARE(editor.findChild<QWidget*>(QStringLiteral("cmbGrafico"))->property("currentIndex"),
                 -1);
        QVERIFY(!K7X_DoruVevuzu::loadTranslation(QStringLiteral("xx")));
    }
};

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
