// TestDatabase: a fresh database with the models' schema (and the sample model when asked) for one
// test on "sqlite" (a private file) or "postgresql" (a new database on the server CTL_TEST_PG
// names, e.g. "host=127.0.0.1 port=5432 user=ctl"), dropped by the destructor with its
// connections, so copies of db() must go first. Failures throw RuntimeError. GUI thread only.
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
    static QStringList engines() { return {"sqlite", "postgresql"}; }
    static bool available(const QString& engine) {
        return engine != "postgresql" || qEnvironmentVariableIsSet("CTL_TEST_PG");
    }
    // Adds the column "entry" (an index into `table`), a row an entry named after its `name`.
    template <typename Table> static void addRows(const Table& table) {
        QTest::addColumn<int>("entry");
        for (int i = 0; i < int(std::size(table)); ++i)
            QTest::newRow(table[i].name) << i;
    }
    // Adds the QString column "engine" and one row per engine, named after it.
    static void addEngineRows();
    // Adds the columns "engine" and "entry": a row for each engine and entry, named "engine name".
    template <typename Table> static void addEngineRows(const Table& table) {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("entry");
        for (const QString& engine : engines())
            for (int i = 0; i < int(std::size(table)); ++i)
                QTest::addRow("%s %s", qPrintable(engine), table[i].name) << engine << i;
    }

    // A connection to `database`; on PostgreSQL to the server that CTL_TEST_PG names.
    static QSqlDatabase connect(const QString& engine, const QString& database);

    explicit TestDatabase(const QString& engine, bool withSample = false);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString engine() const { return m_engine; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_connections.first()); }
    // Another connection to the same database, closed by the destructor.
    QSqlDatabase openSecondConnection();
    // The first column of the first row (invalid when none), `values` bound to the placeholders.
    QVariant value(const QString& sql, const QVariantList& values = {}) const;
    void exec(const QString& sql, const QVariantList& values = {}) const { value(sql, values); }

private:
    void release();

    QString m_engine;
    QTemporaryDir m_folder;
    QString m_databaseName;
    QStringList m_connections;
};
