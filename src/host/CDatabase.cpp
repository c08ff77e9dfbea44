#include <K7XBO_Global/CDatabase.h>

namespace K7XBO_Global {

CDatabase::CDatabase(const QSqlDatabase& db, QObject* parent) : QObject(parent), m_db(db) {}
CDatabase::~CDatabase() = default;

QSqlDatabase CDatabase::Connection() const {
    return m_db;
}

} // namespace K7XBO_Global
