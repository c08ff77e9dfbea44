#include "widgets/Icons.h"

#include <QFile>

// Registers the pictures also when the library is linked statically.
static void registerPictures() {
    Q_INIT_RESOURCE(widgets);
}

namespace K7X_DoruVevuzu::widgets {

QIcon picture(const QString& key) {
    static const bool registered = (registerPictures(), true);
    Q_UNUSED(registered);
    const QString path = QStringLiteral(":/ctlIndici/icons/%1.png").arg(key);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace K7X_DoruVevuzu::widgets
