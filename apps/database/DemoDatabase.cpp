#include "DemoDatabase.h"

#include "Schema.h"
#include "data/Runner.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>
#include <QUrl>

static void registerSampleResources() {
    Q_INIT_RESOURCE(sample);
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
    registerSampleResources();
    const QDir folder(appPath + QLatin1Char('/') +
                      K7XBO_Global::CDocFields::instance().DocFolder());
    if (folder.exists())
        return;
    folder.mkpath(QStringLiteral("."));
    const QDir samples(QStringLiteral(":/sample/documents"));
    for (const QString& name : samples.entryList(QDir::Files)) {
        const QString target = folder.filePath(name);
        QFile::copy(samples.filePath(name), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    }
}

// Opens the database at `location`; a missing SQLite file is made when `create`, else refused.
DemoDatabase connectTo(const QString& location, bool create) {
    DemoDatabase result;
    // The demo's data folder, whichever program opens it.
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                            QStringLiteral("/ctlIndici/indici-demo");
    if (location.startsWith(QLatin1String("postgres"))) {
        result.db = openPostgres(QUrl(location));
        result.appPath = dataDir;
    } else {
        QString file = location.isEmpty() ? dataDir + QStringLiteral("/indici.sqlite") : location;
        if (file.startsWith(QLatin1String("sqlite:")))
            file.remove(0, 7);
        if (create)
            QDir().mkpath(QFileInfo(file).absolutePath());
        else if (!QFileInfo::exists(file))
            fail(QStringLiteral("Il database '%1' non esiste.").arg(file));
        result.db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        result.db.setDatabaseName(file);
        result.appPath = QFileInfo(file).absolutePath();
    }
    if (!result.db.open())
        fail(
            QStringLiteral("Impossibile aprire il database: %1").arg(result.db.lastError().text()));
    return result;
}

} // namespace

DemoDatabase openDatabase(const QString& location) {
    return connectTo(location, false);
}

DemoDatabase openDemoDatabase(const QString& location) {
    DemoDatabase result = connectTo(location, true);
    if (!result.db.tables().contains(QStringLiteral("KX09_INDICE"), Qt::CaseInsensitive)) {
        demo::createSchema(result.db);
        demo::loadSampleModel(result.db);
    }
    installSampleDocuments(result.appPath);
    return result;
}

QList<Model> listModels(const QSqlDatabase& db) {
    const K7X_DoruVevuzu::data::Rows rows = K7X_DoruVevuzu::data::run(
        db, QStringLiteral("SELECT KX06_CODICEMODELLO, KX06_DESCRIZIONE FROM KX06_MODELLI ORDER BY "
                           "KX06_CODICEMODELLO"));
    QList<Model> models;
    for (int row = 0; row < rows.count; ++row)
        models.append({rows.at(row, 0).toString(), rows.at(row, 1).toString()});
    return models;
}

} // namespace demo
