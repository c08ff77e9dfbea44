#include "DemoDatabase.h"

#include "Schema.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>
#include <QUrl>

static void registerDemoResources() {
    Q_INIT_RESOURCE(demo);
} // kept by the static library

namespace demo {

namespace {

[[noreturn]] void fail(const QString& description) {
    throw K7X_DoruVevuzu::RuntimeError(K7X_DoruVevuzu::RuntimeError::InvalidCall,
                                       QStringLiteral("indici-demo"), description);
}

QSqlDatabase openPostgres(const QUrl& url) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    db.setHostName(url.host().isEmpty() ? QStringLiteral("127.0.0.1") : url.host());
    db.setPort(url.port(5432));
    db.setUserName(url.userName());
    db.setPassword(url.password());
    db.setDatabaseName(url.path().mid(1));
    return db;
}

// Copies the sample report documents into the documents folder the first time.
void installSampleDocuments(const QString& appPath) {
    registerDemoResources();
    const QDir folder(appPath + QLatin1Char('/') +
                      K7XBO_Global::CDocFields::instance().DocFolder());
    if (folder.exists())
        return;
    folder.mkpath(QStringLiteral("."));
    const QDir samples(QStringLiteral(":/demo/documents"));
    for (const QString& name : samples.entryList(QDir::Files)) {
        const QString target = folder.filePath(name);
        QFile::copy(samples.filePath(name), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    }
}

} // namespace

DemoDatabase openDemoDatabase(const QString& location) {
    DemoDatabase result;
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (location.startsWith(QLatin1String("postgres"))) {
        result.db = openPostgres(QUrl(location));
        result.appPath = dataDir;
    } else {
        const QString file =
            location.isEmpty() ? dataDir + QStringLiteral("/indici.sqlite") : location;
        QDir().mkpath(QFileInfo(file).absolutePath());
        result.db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        result.db.setDatabaseName(file);
        result.appPath = QFileInfo(file).absolutePath();
    }
    if (!result.db.open())
        fail(
            QStringLiteral("Impossibile aprire il database: %1").arg(result.db.lastError().text()));
    if (!result.db.tables().contains(QStringLiteral("KX09_INDICE"), Qt::CaseInsensitive)) {
        demo::createSchema(result.db);
        demo::loadSampleModel(result.db);
    }
    installSampleDocuments(result.appPath);
    return result;
}

} // namespace demo
