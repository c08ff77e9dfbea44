// TestDatabase: a fresh database with the models' schema, for one test on one engine.
//
// Engines are "sqlite" (a file in a private temporary folder) and "postgresql" (a new
// database ctl_<random> created through the server named by the environment variable
// CTL_TEST_PG, a libpq connection string such as "host=127.0.0.1 port=5432 user=ctl
// dbname=postgres"). The object owns its Qt connections (each with a unique name) and the
// database itself: the destructor closes every connection and deletes the file or drops the
// database. Hand copies of db() to the code under test, but let them go before the
// TestDatabase does. Foreign keys are enforced on both engines.
//
// Typical use in a table-driven test:
//   void load_data() { TestDatabase::addEngineRows(); }
//   void load() { QFETCH(QString, engine); CTL_SKIP_UNLESS_AVAILABLE(engine);
//                 TestDatabase database(engine, true); ... database.value("SELECT ...") }
// Setup or SQL failures throw K7X_DoruVevuzu::RuntimeError with the driver's text.
// One thread, like Qt SQL connections.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

// Skips the current test function when the engine's server is not configured.
#define CTL_SKIP_UNLESS_AVAILABLE(engine)                                                          \
    do {                                                                                           \
        if (!TestDatabase::available(engine))                                                      \
            QSKIP("PostgreSQL non disponibile: impostare CTL_TEST_PG");                            \
    } while (false)

class TestDatabase {
public:
    static QStringList engines(); // "sqlite", "postgresql"
    // Adds the QString column "engine" and one row per engine, named after it.
    static void addEngineRows();
    // A row "engine/name" of a table whose first column is "engine", the engine filled in.
    static QTestData& newRow(const QString& engine, const char* name);
    // Calls rows(row) once per engine, where row(name) is newRow(engine, name).
    template <typename Rows> static void addRowsPerEngine(Rows&& rows) {
        for (const QString& engine : engines())
            rows([&engine](const char* name) -> QTestData& { return newRow(engine, name); });
    }
    static bool available(const QString& engine);

    explicit TestDatabase(const QString& engine, bool withSample = false);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString engine() const { return m_engine; }
    QSqlDatabase db() const;
    // Another connection to the same database, closed by the destructor.
    QSqlDatabase openSecondConnection();

    // The first column of the first row (an invalid QVariant when there is no row); `values`
    // are bound to the statement's placeholders in order.
    QVariant value(const QString& sql, const QVariantList& values = {}) const;
    void exec(const QString& sql, const QVariantList& values = {}) const { value(sql, values); }

private:
    QSqlDatabase openConnection();
    void release(); // closes the connections, deletes the database

    QString m_engine;
    QTemporaryDir m_folder;
    QString m_databaseName;
    QStringList m_connections;
};
