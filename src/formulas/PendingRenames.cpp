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

using Record = RecordedRename;

std::optional<Record> read(const QDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    Record record{
        name, json["modello"].toString(), json["da"].toString(), json["a"].toString(), {}};
    for (const QJsonValue document : json["documenti"].toArray())
        record.documents << document.toString();
    if (record.model.isEmpty() || record.oldCode.isEmpty() || record.newCode.isEmpty())
        return std::nullopt; // not one of ours, or written by halves: left alone
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

// The documents folder's records, when it is set.
std::optional<QDir> recordsFolder(K7XBO_Global::CGlobal& service) {
    try {
        return QDir(documentsFolder(service), kPattern, QDir::Name, QDir::Files | QDir::Hidden);
    } catch (const RuntimeError&) {
        return std::nullopt; // no documents folder: no record either
    }
}

// Whether the rename `record` tells of committed: the model holds the new code.
bool committed(K7XBO_Global::CGlobal& service, const Record& record) {
    const record::Statement renamed = record::selectIndex(record.model, record.newCode);
    return !data::run(record::hostConnection(service), renamed.sql, renamed.values).isEmpty();
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

std::vector<RecordedRename> committedRenames(K7XBO_Global::CGlobal& service) {
    std::vector<RecordedRename> found;
    const std::optional<QDir> records = recordsFolder(service);
    for (const QString& name : records ? records->entryList() : QStringList()) {
        std::optional<Record> record = read(*records, name);
        if (record && committed(service, *record))
            found.push_back(std::move(*record));
    }
    return found;
}

void finishRenames(K7XBO_Global::CGlobal& service) {
    const std::optional<QDir> records = recordsFolder(service);
    if (!records)
        return;
    for (const QString& name : records->entryList()) {
        const std::optional<Record> record = read(*records, name);
        if (!record)
            continue;
        if (committed(service, *record)) {
            if (const QStringList left = finish(service, *record); !left.isEmpty())
                fail(RuntimeError::ObjectError,
                     QStringLiteral("L'indice '%1' del modello '%2' è stato rinominato in '%3' nel "
                                    "database, ma questi documenti non sono ancora aggiornati: "
                                    "%4. Chiuderli o renderli scrivibili, poi ripetere.")
                         .arg(record->oldCode, record->model, record->newCode,
                              left.join(QStringLiteral(", "))),
                     kUpdateSource);
        }
        QFile::remove(records->filePath(name)); // finished, or never committed
        flushFolder(records->path());
    }
}

} // namespace K7X_DoruVevuzu::formulas
