#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>

#include <QVariant>

namespace K7XBO_Global {

CGlobal::CGlobal(const QSqlDatabase& db, QObject* parent)
    : QObject(parent), m_database(new CDatabase(db, this)), m_hotkeys(new CHotkeys(this)),
      m_hostApp(new QObject(this)) {
    m_hostApp->setObjectName(QStringLiteral("HostApp"));
    m_hostApp->setProperty("Path", QString());
}

CGlobal::~CGlobal() = default;

CDatabase* CGlobal::Database() {
    return m_database;
}
bool CGlobal::CanEditStandard() {
    return m_canEditStandard;
}
void CGlobal::setCanEditStandard(bool value) {
    m_canEditStandard = value;
}
CHotkeys* CGlobal::Hotkeys() {
    return m_hotkeys;
}
QObject* CGlobal::HostApp() {
    return m_hostApp;
}
void CGlobal::setAppPath(const QString& path) {
    m_hostApp->setProperty("Path", path);
}

} // namespace K7XBO_Global
