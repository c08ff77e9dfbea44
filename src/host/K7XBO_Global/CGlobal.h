// CGlobal: the host's business-object service, our reference implementation.
//
// A host creates one over its open QSqlDatabase and hands it to ctlIndici; the component
// keeps only a guarded pointer and never deletes it. Owns its CDatabase, CHotkeys and the
// host-application object whose property "Path" is the application folder. Every virtual
// may be overridden by a host (or a test) to answer differently or to fail by throwing
// K7X_DoruVevuzu::RuntimeError. It changes no setting of the connection: every statement of
// the component binds its values.
#pragma once

#include <QObject>
#include <QSqlDatabase>

namespace K7XBO_Global {

class CDatabase;
class CHotkeys;

class CGlobal : public QObject {
    Q_OBJECT
public:
    explicit CGlobal(const QSqlDatabase& db, QObject* parent = nullptr);
    ~CGlobal() override;

    virtual CDatabase* Database();
    virtual bool CanEditStandard();
    void setCanEditStandard(bool value);
    virtual CHotkeys* Hotkeys();
    virtual QObject* HostApp();
    void setAppPath(const QString& path);

private:
    CDatabase* m_database;
    CHotkeys* m_hotkeys;
    QObject* m_hostApp;
    bool m_canEditStandard = false;
};

} // namespace K7XBO_Global
