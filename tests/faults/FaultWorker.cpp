// fault_worker: the second process of the fault tests, a checks::Session on the model BILANCIO's
// index LIQIMM of the database its arguments name (driver host port user database). Its first
// line tells whether it opened the database, then it answers each command, one JSON line each.
#include "faults/Checks.h"

#include <QSqlError>

#include <iostream>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QSqlDatabase db = QSqlDatabase::addDatabase(arguments.value(1));
    db.setHostName(arguments.value(2));
    db.setPort(arguments.value(3).toInt());
    db.setUserName(arguments.value(4));
    db.setDatabaseName(arguments.value(5));
    db.open();
    std::cout << checks::json({{"error", db.lastError().text()}}).toStdString() << std::endl;
    K7XBO_Global::CGlobal service(db);
    QWidget window;
    checks::Session session{new ctlIndici(&window), &service};
    session.editor->setCGlobal(&service);
    session.editor->setCodiceModello(QStringLiteral("BILANCIO"));
    session.editor->setCodiceIndice(QStringLiteral("LIQIMM"));
    window.show();
    for (std::string line; std::getline(std::cin, line);) {
        const QJsonDocument command = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        std::cout << checks::json(session.run(command.object().toVariantMap())).toStdString()
                  << std::endl;
    }
}
