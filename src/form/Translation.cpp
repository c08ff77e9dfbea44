// The embedded translations of the form texts, installed on the application on request.
#include <K7X_DoruVevuzu/Translation.h>

#include "form/Form.h"

#include <QCoreApplication>
#include <QTranslator>

namespace K7X_DoruVevuzu {

namespace {
QTranslator* installed = nullptr;
}

QString uiText(const char* italian) {
    return QCoreApplication::translate("ctlIndici", italian);
}

bool loadTranslation(const QString& language) {
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language.isEmpty() || language == QLatin1String("it"))
        return true;
    auto* translator = new QTranslator;
    if (!translator->load(QStringLiteral(":/ctlindici/i18n/ctlindici_%1.qm").arg(language))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace K7X_DoruVevuzu
