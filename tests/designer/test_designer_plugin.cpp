// The Designer plugin loads like Designer loads it and places a working ctlIndici on a form.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QPluginLoader>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class TestDesignerPlugin : public QObject {
    Q_OBJECT
private slots:
    void offersTheComponentInItsOwnGroup() {
        QPluginLoader loader(QStringLiteral(CTL_DESIGNER_PLUGIN));
        QVERIFY2(loader.load(), qPrintable(loader.errorString()));
        auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
        QVERIFY(plugin);
        QCOMPARE(plugin->group(), QStringLiteral("Indici di analisi"));
        QVERIFY(plugin->domXml().contains(plugin->name()));
        QWidget form;
        QWidget* placed = plugin->createWidget(&form);
        QVERIFY(qobject_cast<K7X_DoruVevuzu::ctlIndici*>(placed));
        QVERIFY(placed->findChild<QWidget*>(QStringLiteral("txtCodice")));
    }
};

QTEST_MAIN(TestDesignerPlugin)
#include "test_designer_plugin.moc"
