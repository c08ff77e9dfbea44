#include "formulas/PendingRenames.h"

#include "data/Runner.h"
#include "errors/Errors.h"
#include "formulas/DocumentFiles.h"
#include "formulas/DocumentUpdate.h"
#include "record/Statements.h"

#include <K7XBO_Global/CGlobal.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSysInfo>
#include <QUuid>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace K7X_DoruVevuzu::formulas {

namespace {

const QString kPattern = QStringLiteral(".ctlIndici-rinomina-*.json");

struct Record {
    QString model, oldCode, newCode;
    QStringList documents;
};

std::optional<Record> read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    Record record{json["modello"].toString(), json["da"].toString(), json["a"].toString(), {}};
    for (const QJsonValue name : json["documenti"].toArray())
        record.documents << name.toString();
    if (record.model.isEmpty() || record.oldCode.isEmpty() || record.newCode.isEmpty())
        return std::nullopt; // not one of ours, or written by halves: left for the model check
    return record;
}

// Rewrites each document on its own; gives back the names that could not be rewritten.
QStringList finish(K7XBO_Global::CGlobal& service, const Record& record) {
    QStringList left;
    DocumentFiles files(service);
    for (const QString& name : record.documents) {
        try {
            if (const std::optional<documents::Place> place = files.fileOf(name)) {
                DocumentUpdate update(record.oldCode, record.newCode,
                                      [](const QString&, const documents::LockHolder&) {});
                update.add(name, *place);
                update.commit(documents::SaveBatch::Changed::StopAll);
            }
        } catch (const std::exception&) {
            left << name;
        }
    }
    return left;
}

void flushFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

PendingRename::PendingRename(K7XBO_Global::CGlobal& service, const QString& model,
                             const QString& oldCode, const QString& newCode,
                             const QStringList& documents) {
    const QString folder = documentsFolder(service);
    m_path = QDir(folder).filePath(
        QString(kPattern).replace(u'*', QUuid::createUuid().toString(QUuid::WithoutBraces)));
    const QJsonObject json{{"modello", model},
                           {"da", oldCode},
                           {"a", newCode},
                           {"documenti", QJsonArray::fromStringList(documents)},
                           {"macchina", QSysInfo::machineHostName()},
                           {"processo", qint64(::getpid())}};
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(json).toJson()) < 0 ||
        !file.commit()) // written whole and flushed, or not at all
        fail(RuntimeError::ObjectError,
             QStringLiteral("Impossibile scrivere il promemoria della rinomina '%1': %2")
                 .arg(m_path, file.errorString()),
             kUpdateSource);
    flushFolder(folder);
}

PendingRename::~PendingRename() {
    if (!m_keep)
        QFile::remove(m_path);
}

void finishRenames(K7XBO_Global::CGlobal& service) {
    QString folder;
    try {
        folder = documentsFolder(service);
    } catch (const RuntimeError&) {
        return; // no documents folder: no record either
    }
    const QDir records(folder, kPattern, QDir::Name, QDir::Files | QDir::Hidden);
    for (const QString& name : records.entryList()) {
        const QString path = records.filePath(name);
        const std::optional<Record> record = read(path);
        if (!record)
            continue;
        const record::Statement renamed = record::selectIndex(record->model, record->newCode);
        const QSqlDatabase db = record::hostConnection(service);
        if (!data::run(db, renamed.sql, renamed.values).isEmpty()) {
            if (const QStringList left = finish(service, *record); !left.isEmpty())
                fail(RuntimeError::ObjectError,
                     QStringLiteral("L'indice '%1' del modello '%2' è stato rinominato in '%3' nel "
                                    "database, ma questi documenti non sono ancora aggiornati: "
                                    "%4. Chiuderli o renderli scrivibili, poi ripetere.")
                         .arg(record->oldCode, record->model, record->newCode,
                              left.join(QStringLiteral(", "))),
                     kUpdateSource);
        }
        QFile::remove(path); // finished, or never committed
        flushFolder(folder);
    }
}

} // namespace K7X_DoruVevuzu::formulas
