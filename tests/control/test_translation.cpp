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
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("tool");
        QTest::newRow("default") << ""
                                 << "Codice"
                                 << "Generale"
                                 << "Modifica";
        QTest::newRow("english") << "en"
                                 << "Code"
                                 << "General"
                                 << "Edit";
        QTest::newRow("italian again") << "it"
                                       << "Codice"
                                       << "Generale"
                                       << "Modifica";
    }
    void formTexts() {
        QFETCH(QString, language);
        QFETCH(QString, label);
        QFETCH(QString, tab);
        QFETCH(QString, tool);
        QVERIFY(K7X_DoruVevuzu::loadTranslation(language));
        ctlIndici editor;
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("Label1"))->text(), label);
        QCOMPARE(editor.findChild<QTabWidget*>(QStringLiteral("sstIndice"))->tabText(0), tab);
        QCOMPARE(editor.findChild<QAction*>(QStringLiteral("tbEdit"))->text(), tool);
        QCOMPARE(editor.findChild<QWidget*>(QStringLiteral("cmbGrafico"))->property("currentIndex"),
                 -1);
    }
    void unknownLanguageIsRefused() {
        QVERIFY(!K7X_DoruVevuzu::loadTranslation(QStringLiteral("xx")));
    }
};

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
