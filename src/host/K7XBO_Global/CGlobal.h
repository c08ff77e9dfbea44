#pragma once

#include <QObject>
#include <QSqlDatabase>

namespace K7XBO_Global {

class CDatabase;
class CHotkeys;

/// The host's business-object service, our reference implementation.
///
/// A host creates one over its open QSqlDatabase and hands it to ctlIndici; the component
/// keeps only a guarded pointer and never deletes it. Owns its CDatabase, CHotkeys and the
/// host-application object whose property "Path" is the application folder. Every virtual
/// may be overridden by a host (or a test) to answer differently or to fail by throwing
/// K7X_DoruVevuzu::RuntimeError; this implementation never throws. It changes no setting of
/// the connection: every statement of the component binds its values.
class CGlobal : public QObject {
    Q_OBJECT
public:
    /// A service over the host's open connection `db` (not opened or closed here).
    explicit CGlobal(const QSqlDatabase& db, QObject* parent = nullptr);
    ~CGlobal() override;

    /// The database link (owned); a host's override may answer none, which the component
    /// reports.
    virtual CDatabase* Database();
    /// Whether the user may edit standard indices (default false: only the value on error and
    /// the export flag open).
    virtual bool CanEditStandard();
    /// Sets the answer of CanEditStandard().
    void setCanEditStandard(bool value);
    /// The hotkey table (owned).
    virtual CHotkeys* Hotkeys();
    /// The host-application object (owned); its property "Path" is the application folder,
    /// the documents folder's parent.
    virtual QObject* HostApp();
    /// Sets HostApp()'s property "Path".
    void setAppPath(const QString& path);

private:
    CDatabase* m_database;
    CHotkeys* m_hotkeys;
    QObject* m_hostApp;
    bool m_canEditStandard = false;
};

} // namespace K7XBO_Global
