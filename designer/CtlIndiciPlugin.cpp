#include "CtlIndiciPlugin.h"

#include <K7X_DoruVevuzu/ctlIndici.h>

CtlIndiciPlugin::CtlIndiciPlugin(QObject* parent) : QObject(parent) {}

QString CtlIndiciPlugin::name() const {
    return QStringLiteral("K7X_DoruVevuzu::ctlIndici");
}
QString CtlIndiciPlugin::group() const {
    return QStringLiteral("Indici di analisi");
}
QString CtlIndiciPlugin::toolTip() const {
    return QStringLiteral("Editor di un indice del modello di analisi");
}
QString CtlIndiciPlugin::whatsThis() const {
    return QStringLiteral("Mostra, modifica e salva un indice (tabella KX09_INDICE).");
}
QString CtlIndiciPlugin::includeFile() const {
    return QStringLiteral("K7X_DoruVevuzu/ctlIndici.h");
}
QIcon CtlIndiciPlugin::icon() const {
    return {};
}
bool CtlIndiciPlugin::isContainer() const {
    return false;
}

QWidget* CtlIndiciPlugin::createWidget(QWidget* parent) {
    return new K7X_DoruVevuzu::ctlIndici(parent);
}

QString CtlIndiciPlugin::domXml() const {
    return QStringLiteral(R"(<ui language="c++">
  <widget class="K7X_DoruVevuzu::ctlIndici" name="indice">
    <property name="geometry"><rect><x>0</x><y>0</y><width>696</width><height>467</height></rect></property>
  </widget>
</ui>)");
}
