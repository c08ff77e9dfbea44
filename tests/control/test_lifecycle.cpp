// The component's surface as a host sees it: creation, hand-overs, Destroy.
#include <K7X_DoruVevuzu/ctlIndici.h>
#include <K7XBO_Global/K7XBO_Global.h>

#include <QComboBox>
#include <QSqlDatabase>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    void newInstanceState() {
        ctlIndici editor;
        QCOMPARE(editor.Adding(), false);
        auto* list = editor.findChild<QComboBox*>(QStringLiteral("cmbGrafico"));
        QVERIFY(list);
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->itemText(0), QString());
        QCOMPARE(list->itemText(1), QStringLiteral("Barre"));
        QCOMPARE(list->itemText(2), QStringLiteral("Linee"));
        QCOMPARE(list->itemText(3), QStringLiteral("Torta"));
        QVERIFY(editor.findChild<K7XBO_Global::CFormulaEngine*>());
    }

    void handOverReachesTheFormulaEngine() {
        ctlIndici editor;
        K7XBO_Global::CGlobal service{QSqlDatabase()};
        editor.setCGlobal(&service);
        editor.setCodiceModello(QStringLiteral("MOD1"));
        auto* engine = editor.findChild<K7XBO_Global::CFormulaEngine*>();
        QCOMPARE(engine->globalService(), &service);
        QCOMPARE(engine->modelCode(), QStringLiteral("MOD1"));
    }

    void destroyTwiceIsHarmless() {
        ctlIndici editor;
        editor.Destroy();
        editor.Destroy();
        QVERIFY(!editor.findChild<K7XBO_Global::CFormulaEngine*>());
    }

    void handOverAfterDestroyFails() {
        ctlIndici editor;
        editor.Destroy();
        K7XBO_Global::CGlobal service{QSqlDatabase()};
        QVERIFY_THROWS_EXCEPTION(RuntimeError, editor.setCodiceModello(QStringLiteral("M")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, editor.setCGlobal(&service));
    }

    void clickOkChangesNothing() {
        ctlIndici editor;
        editor.ClickOk();
        QCOMPARE(editor.Adding(), false);
    }
};

QTEST_MAIN(TestLifecycle)
#include "test_lifecycle.moc"
