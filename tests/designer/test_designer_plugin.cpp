// The Designer plugin loads as Designer loads it and places a working ctlIndici on a form.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QPluginLoader>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class TestDesignerPlugin : public QObject {
    Q_OBJECT
private slots:
    void offersTheComponentInItsOwnGroup() {
        QPluginLoader loader(QStringLiteral(CTL_DESIGNER_PLUGIN));
        auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
        QVERIFY2(plugin, qPrintable(loader.errorString()));
        QCOMPARE(plugin->group(), QStringLiteral("Indici di analisi"));
        QVERIFY(plugin->domXml().contains(plugin->name()));
        QWidget form;
        auto* placed = qobject_cast<K7X_DoruVevuzu::ctlIndici*>(plugin->createWidget(&form));
        QVERIFY(placed && placed->findChild<QWidget*>(QStringLiteral("txtCodice")));
        for (const char* name : {"Caption", "CodiceIndice", "CodiceModello"}) { // set by the host
            const QMetaProperty p =
                placed->metaObject()->property(placed->metaObject()->indexOfProperty(name));
            QVERIFY(p.isWritable() && !p.isStored() && !p.isDesignable());
        }
    }
};

QTEST_MAIN(TestDesignerPlugin)
#include "test_designer_plugin.moc"
