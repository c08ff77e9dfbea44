#pragma once

#include <QObject>
#include <QSqlDatabase>

namespace K7XBO_Global {

/// The host's database link, handed out by CGlobal::Database().
///
/// Holds a copy of the host's QSqlDatabase handle (the connection itself belongs to the host,
/// which opened it). Never throws. Not thread-safe: use it on the thread that opened the
/// connection.
class CDatabase : public QObject {
    Q_OBJECT
public:
    /// A link to the host's connection `db`.
    explicit CDatabase(const QSqlDatabase& db, QObject* parent = nullptr);
    ~CDatabase() override;

    /// The connection every record set of the component is opened on.
    virtual QSqlDatabase Connection() const;

private:
    QSqlDatabase m_db;
};

} // namespace K7XBO_Global
