#include "Schema.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

// Registers the scripts' resources even when the library is linked statically.
static void registerSchemaResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(schema);
        return true;
    }();
    (void)registered;
}

namespace demo {

namespace {

constexpr qint32 kCommandFailed = -2147217900; // 0x80040E14: the command was refused

[[noreturn]] void failWith(const QString& description) {
    throw K7X_DoruVevuzu::RuntimeError(kCommandFailed, QStringLiteral("Schema"), description);
}

QString readScript(const QString& name) {
    registerSchemaResources();
    QFile file(QStringLiteral(":/ctlindici/schema/") + name);
    if (!file.open(QIODevice::ReadOnly))
        failWith(QStringLiteral("Lo script '%1' non è incluso nella libreria.").arg(name));
    return QString::fromUtf8(file.readAll());
}

bool isOnlyComments(const QString& chunk) {
    for (const QString& line : chunk.split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(QLatin1String("--")))
            return false;
    }
    return true;
}

// Statements end with a ";" at the end of a line; a ";" inside a line belongs to the text.
QStringList splitStatements(const QString& script) {
    QStringList statements;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const QString bare = line.trimmed();
        if (bare.endsWith(QLatin1Char(';'))) {
            current += line.left(line.lastIndexOf(QLatin1Char(';')));
            if (!isOnlyComments(current))
                statements << current;
            current.clear();
        } else {
            current += line + QLatin1Char('\n');
        }
    }
    if (!isOnlyComments(current))
        statements << current;
    return statements;
}

QString dialectScript(const QSqlDatabase& db) {
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return QStringLiteral("sqlite.sql");
    case QSqlDriver::PostgreSQL:
        return QStringLiteral("postgresql.sql");
    default:
        failWith(QStringLiteral("Il database '%1' non è supportato: usare SQLite o PostgreSQL.")
                     .arg(db.driverName()));
    }
}

void runScript(QSqlDatabase db, const QString& name) {
    if (!db.isOpen())
        failWith(QStringLiteral("Il database non è aperto."));
    const QStringList statements = splitStatements(readScript(name));
    if (!db.transaction())
        failWith(QStringLiteral("Impossibile avviare la transazione per '%1': %2")
                     .arg(name, db.lastError().text()));
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            const QString error = query.lastError().text();
            query.finish();
            db.rollback();
            failWith(QStringLiteral("Impossibile eseguire lo script '%1': %2").arg(name, error));
        }
    }
    query.finish();
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        failWith(QStringLiteral("Impossibile confermare lo script '%1': %2").arg(name, error));
    }
}

} // namespace

void createSchema(const QSqlDatabase& db) {
    runScript(db, dialectScript(db));
}

void loadSampleModel(const QSqlDatabase& db) {
    runScript(db, QStringLiteral("sample.sql"));
}

} // namespace demo
