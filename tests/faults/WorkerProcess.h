// The test's side of fault_worker: started on the database of a connection, it is handed JSON
// commands and reads back JSON answers, one line each (see FaultWorker.cpp).
#pragma once

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QVariantMap>

#include <optional>

class WorkerProcess {
public:
    explicit WorkerProcess(const QSqlDatabase& db) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(FAULT_WORKER),
                        {db.driverName(), db.hostName(), QString::number(db.port()), db.userName(),
                         db.databaseName()});
    }
    ~WorkerProcess() {
        if (!finish())
            kill();
    }
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    void send(const QVariantMap& command) {
        ready(); // its first answer comes before any other
        m_process.write(
            QJsonDocument(QJsonObject::fromVariantMap(command)).toJson(QJsonDocument::Compact) +
            '\n');
        m_process.waitForBytesWritten();
    }
    // The next answer; {"error": why} when the worker gave none in time.
    QVariantMap reply(int timeoutMs = 60000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(deadline.remainingTime()))
                return {{QStringLiteral("error"), QStringLiteral("il processo non risponde")}};
        }
        return QJsonDocument::fromJson(m_process.readLine()).object().toVariantMap();
    }
    // Whether the worker has opened the database; waits for it the first time.
    bool ready() {
        if (!m_ready)
            m_ready = reply().value(QStringLiteral("ready")).toBool();
        return *m_ready;
    }
    QVariantMap ask(const QVariantMap& command) {
        send(command);
        return reply();
    }
    // Ends the worker's input; whether it then exited cleanly (no sanitizer report either).
    bool finish() {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    void kill() {
        m_process.kill(); // SIGKILL: no handler, no clean-up
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
    std::optional<bool> m_ready;
};
