// TestDatabase: a fresh database with the models' schema (and the sample model when asked),
// for one test on one engine: "sqlite" (a file in a private folder) or "postgresql" (a new
// database ctl_<random> on the server named by CTL_TEST_PG, a libpq connection string such as
// "host=127.0.0.1 port=5432 user=ctl dbname=postgres"). It owns its Qt connections and the
// database: the destructor closes the connections and deletes the file or drops the database,
// so copies of db() handed to the code under test must go first. Foreign keys are enforced on
// both engines. Failures throw K7X_DoruVevuzu::RuntimeError with the driver's text.
// GUI thread only, like Qt SQL connections.
#pragma once

#include <QSqlDatabase>
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
    static QStringList engines() {
        return {QStringLiteral("sqlite"), QStringLiteral("postgresql")};
    }
    static bool available(const QString& engine);
    // Adds the QString column "engine" and one row per engine, named after it.
    static void addEngineRows();
    // Calls rows(row) once per engine; row(name) starts the row "engine/name" of a table whose
    // first column is "engine", with the engine filled in.
    template <typename Rows> static void addRowsPerEngine(Rows&& rows) {
        for (const QString& engine : engines())
            rows([&engine](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(engine + u'/' + QLatin1String(name))) << engine;
            });
    }

    explicit TestDatabase(const QString& engine, bool withSample = false);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString engine() const { return m_engine; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_connections.first()); }
    // Another connection to the same database, closed by the destructor.
    QSqlDatabase openSecondConnection();
    // The first column of the first row (invalid when there is none); `values` are bound to
    // the statement's placeholders in order.
    QVariant value(const QString& sql, const QVariantList& values = {}) const;
    void exec(const QString& sql, const QVariantList& values = {}) const { value(sql, values); }

private:
    void release();

    QString m_engine;
    QTemporaryDir m_folder;
    QString m_databaseName;
    QStringList m_connections;
};
