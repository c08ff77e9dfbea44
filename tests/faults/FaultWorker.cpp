// fault_worker: the second process of the fault tests, a small host of ctlIndici on the model
// BILANCIO of the database its arguments name (driver host port user database). It answers a
// first line, then each JSON command a line of its standard input with one line, all with the
// "error" text of the database or the component ("" when none):
//   {"update":[folder, old, new]}  UpdateDocFormulas on the documents of the folder
//   {"edit":{field:text}}          loads LIQIMM, Modifica, writes the fields
//   {"save":true}                  Salva: {"boxes":[texts], "fields":JSON of the fields shown}
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
    auto* editor = new ctlIndici(&window);
    editor->setCGlobal(&service);
    editor->setCodiceModello(QStringLiteral("BILANCIO"));
    editor->setCodiceIndice(QStringLiteral("LIQIMM"));
    window.show();
    QStringList typed;
    for (std::string line; std::getline(std::cin, line);) {
        const QVariantMap command =
            QJsonDocument::fromJson(QByteArray::fromStdString(line)).object().toVariantMap();
        const QStringList update = command.value("update").toStringList();
        const QVariantMap fields = command.value("edit").toMap();
        QVariantMap reply{{"error", ""}};
        try {
            BoxAnswerer answers(editor);
            if (update.size() == 3) {
                service.setAppPath(update[0]);
                QString from = update[1], to = update[2];
                editor->UpdateDocFormulas(from, to);
            } else if (!fields.isEmpty()) {
                editor->LoadIndice();
                editor->findChild<QAction*>("tbEdit")->trigger();
                for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                    editor->findChild<QWidget*>(it.key())->setProperty("text", *it);
                typed = fields.keys();
            } else {
                editor->findChild<QAction*>("tbOK")->trigger();
                reply.insert({{"boxes", answers.texts()},
                              {"fields", QString::fromUtf8(checks::shownBy(editor, typed))}});
            }
        } catch (const RuntimeError& failure) {
            reply["error"] = failure.description();
        }
        std::cout << checks::json(reply).toStdString() << std::endl;
    }
}
