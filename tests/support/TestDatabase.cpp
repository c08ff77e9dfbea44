#include "support/TestDatabase.h"

#include "data/Schema.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

using K7X_DoruVevuzu::RuntimeError;

namespace {

const QString kSqlite = QStringLiteral("sqlite");
const QString kPostgresql = QStringLiteral("postgresql");

[[noreturn]] void failWith(const QString& description) {
    throw RuntimeError(RuntimeError::ObjectError, QStringLiteral("TestDatabase"), description);
}

QString randomSuffix() {
    return QString::number(QRandomGenerator::global()->generate64(), 16);
}

// A libpq connection string "key=value key=value" read into a QPSQL connection.
void applyConnectionString(QSqlDatabase& db, const QString& settings) {
    for (const QString& pair : settings.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            db.setHostName(value);
        else if (key == QLatin1String("port"))
            db.setPort(value.toInt());
        else if (key == QLatin1String("user"))
            db.setUserName(value);
        else if (key == QLatin1String("password"))
            db.setPassword(value);
        else if (key == QLatin1String("dbname"))
            db.setDatabaseName(value);
    }
}

QString serverSettings() {
    return qEnvironmentVariable("CTL_TEST_PG");
}

// Runs one statement on the server's own database through a short-lived connection.
void adminExec(const QString& sql) {
    const QString name = QStringLiteral("ctl_admin_") + randomSuffix();
    QString error;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        applyConnectionString(admin, serverSettings());
        if (!admin.open())
            error = admin.lastError().text();
        else if (QSqlQuery query(admin); !query.exec(sql))
            error = query.lastError().text();
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        failWith(QStringLiteral("PostgreSQL: %1 (%2)").arg(error, sql));
}

} // namespace

QStringList TestDatabase::engines() {
    return {kSqlite, kPostgresql};
}

void TestDatabase::addEngineRows() {
    QTest::addColumn<QString>("engine");
    for (const QString& engine : engines())
        QTest::newRow(qPrintable(engine)) << engine;
}

QTestData& TestDatabase::newRow(const QString& engine, const char* name) {
    return QTest::newRow(qPrintable(engine + QLatin1Char('/') + QLatin1String(name))) << engine;
}

bool TestDatabase::available(const QString& engine) {
    return engine != kPostgresql || !serverSettings().isEmpty();
}

TestDatabase::TestDatabase(const QString& engine, bool withSample) : m_engine(engine) {
    if (m_engine == kSqlite) {
        if (!m_folder.isValid())
            failWith(QStringLiteral("Cartella temporanea non disponibile."));
        m_databaseName = m_folder.filePath(QStringLiteral("modelli.sqlite"));
    } else if (m_engine == kPostgresql) {
        if (!available(m_engine))
            failWith(QStringLiteral("PostgreSQL non disponibile: impostare CTL_TEST_PG"));
        m_databaseName = QStringLiteral("ctl_") + randomSuffix();
        adminExec(QStringLiteral("CREATE DATABASE %1").arg(m_databaseName));
    } else {
        failWith(QStringLiteral("Motore di database sconosciuto: %1").arg(m_engine));
    }
    try {
        const QSqlDatabase connection = openConnection();
        K7X_DoruVevuzu::data::createSchema(connection);
        if (withSample)
            K7X_DoruVevuzu::data::loadSampleModel(connection);
    } catch (...) {
        release();
        throw;
    }
}

TestDatabase::~TestDatabase() {
    release();
}

void TestDatabase::release() {
    for (const QString& name : std::as_const(m_connections)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
    if (m_engine == kPostgresql && !m_databaseName.isEmpty()) {
        try {
            adminExec(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_databaseName));
        } catch (const RuntimeError& error) {
            qWarning("%s", error.what());
        }
    }
    m_connections.clear();
}

QSqlDatabase TestDatabase::db() const {
    return QSqlDatabase::database(m_connections.first());
}

QSqlDatabase TestDatabase::openSecondConnection() {
    return openConnection();
}

QSqlDatabase TestDatabase::openConnection() {
    const QString name = QStringLiteral("ctl_test_") + randomSuffix();
    const bool sqlite = m_engine == kSqlite;
    QSqlDatabase db = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
    m_connections << name;
    if (!sqlite)
        applyConnectionString(db, serverSettings());
    db.setDatabaseName(m_databaseName);
    if (!db.open())
        failWith(
            QStringLiteral("Connessione al database non riuscita: %1").arg(db.lastError().text()));
    if (sqlite)
        QSqlQuery(QStringLiteral("PRAGMA foreign_keys = ON"), db);
    return db;
}

QVariant TestDatabase::value(const QString& sql, const QVariantList& values) const {
    QSqlQuery query(db());
    if (!values.isEmpty())
        query.prepare(sql);
    for (const QVariant& bound : values)
        query.addBindValue(bound);
    if (!(values.isEmpty() ? query.exec(sql) : query.exec()))
        failWith(QStringLiteral("%1 (%2)").arg(query.lastError().text(), sql));
    return query.next() ? query.value(0) : QVariant();
}
