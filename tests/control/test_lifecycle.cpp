// The component's surface as a host sees it: creation, Destroy and the hand-overs after it.
#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QComboBox>
#include <QSqlDatabase>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    // The chart list offers no type and the three chart types, by their stored numbers.
    void newInstanceState() {
        ctlIndici editor;
        QCOMPARE(editor.Adding(), false);
        auto* list = editor.findChild<QComboBox*>(QStringLiteral("cmbGrafico"));
        const QStringList entries{QString(), "Barre", "Linee", "Torta"};
        QCOMPARE(list->count(), entries.size());
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(list->itemText(i), entries[i]);
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
