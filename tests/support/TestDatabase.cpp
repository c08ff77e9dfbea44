#include "support/TestDatabase.h"

#include "Schema.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QMap>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace {

[[noreturn]] void failWith(const QString& description) {
    throw K7X_DoruVevuzu::RuntimeError(K7X_DoruVevuzu::RuntimeError::ObjectError,
                                       QStringLiteral("TestDatabase"), description);
}

QString uniqueName(const char* prefix) {
    return QLatin1String(prefix) + QString::number(QRandomGenerator::global()->generate64(), 16);
}

// One statement on the server's own database, through a short-lived connection.
void adminExec(const QString& sql) {
    QString name, error;
    {
        QSqlDatabase admin = TestDatabase::connect("postgresql", "postgres");
        name = admin.connectionName();
        if (QSqlQuery query(admin); !query.exec(sql))
            error = query.lastError().text();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        failWith(QStringLiteral("PostgreSQL: %1 (%2)").arg(error, sql));
}

} // namespace

QSqlDatabase TestDatabase::connect(const QString& engine, const QString& database) {
    const bool sqlite = engine == QLatin1String("sqlite");
    QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? "QSQLITE" : "QPSQL", uniqueName("ctl_"));
    QMap<QString, QString> server;
    for (const QString& pair : qEnvironmentVariable("CTL_TEST_PG").split(u' ', Qt::SkipEmptyParts))
        server.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    if (!sqlite) {
        db.setHostName(server.value("host"));
        db.setPort(server.value("port", "5432").toInt());
        db.setUserName(server.value("user"));
        db.setPassword(server.value("password"));
    }
    db.setDatabaseName(database);
    if (!db.open())
        failWith("Connessione al database non riuscita: " + db.lastError().text());
    if (sqlite)
        QSqlQuery(QStringLiteral("PRAGMA foreign_keys = ON"), db);
    return db;
}

void TestDatabase::addEngineRows() {
    QTest::addColumn<QString>("engine");
    for (const QString& engine : engines())
        QTest::newRow(qPrintable(engine)) << engine;
}

TestDatabase::TestDatabase(const QString& engine, bool withSample) : m_engine(engine) {
    if (!engines().contains(engine) || !available(engine))
        failWith("Motore di database non disponibile: " + engine);
    m_databaseName = engine == QLatin1String("sqlite") ? m_folder.filePath("modelli.sqlite")
                                                       : uniqueName("ctl_");
    if (engine != QLatin1String("sqlite"))
        adminExec("CREATE DATABASE " + m_databaseName);
    try {
        const QSqlDatabase connection = openSecondConnection();
        demo::createSchema(connection);
        if (withSample)
            demo::loadSampleModel(connection);
    } catch (...) {
        release();
        throw;
    }
}

TestDatabase::~TestDatabase() {
    try {
        release();
    } catch (const K7X_DoruVevuzu::RuntimeError& error) {
        qWarning("%s", error.what());
    }
}

void TestDatabase::release() {
    for (const QString& name : std::as_const(m_connections)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
    m_connections.clear();
    if (m_engine != QLatin1String("sqlite"))
        adminExec("DROP DATABASE IF EXISTS " + m_databaseName + " WITH (FORCE)");
}

QSqlDatabase TestDatabase::openSecondConnection() {
    const QSqlDatabase db = connect(m_engine, m_databaseName);
    m_connections << db.connectionName();
    return db;
}

QVariant TestDatabase::value(const QString& sql, const QVariantList& values) const {
    QSqlQuery query(db());
    if (!values.isEmpty())
        query.prepare(sql); // DDL cannot be prepared on PostgreSQL
    for (const QVariant& bound : values)
        query.addBindValue(bound);
    if (!(values.isEmpty() ? query.exec(sql) : query.exec()))
        failWith(QStringLiteral("%1 (%2)").arg(query.lastError().text(), sql));
    return query.next() ? query.value(0) : QVariant();
}
