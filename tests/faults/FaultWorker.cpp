// fault_worker: the second process of the fault tests, a small host of ctlIndici.
//
// Arguments: driver host port user database. It opens that database, answers {"ready":true},
// then runs one JSON command per line of its standard input and answers each with one line:
//   {"do":"update","folder":F,"model":M,"old":O,"new":N}   UpdateDocFormulas on F's documents
//   {"do":"edit","model":M,"index":I,"fields":{name:text}} loads the index, Modifica, types
//   {"do":"save"}                                           Salva: texts of boxes and fields
// A failure answers {"error":description}.
#include "workflow/WorkflowHost.h"

#include <K7XBO_Global/CGlobal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>

#include <iostream>
#include <string>

namespace {

void answer(const QVariantMap& reply) {
    std::cout << QJsonDocument(QJsonObject::fromVariantMap(reply))
                     .toJson(QJsonDocument::Compact)
                     .toStdString()
              << std::endl;
}

struct Host {
    explicit Host(const QSqlDatabase& db) : service(db), editor(new ctlIndici(&window)) {
        editor->setCGlobal(&service);
        window.show();
    }

    QVariantMap run(const QVariantMap& command) {
        const QString what = command.value("do").toString();
        if (what == "update") {
            editor->setCodiceModello(command.value("model").toString());
            service.setAppPath(command.value("folder").toString());
            QString oldCode = command.value("old").toString();
            QString newCode = command.value("new").toString();
            editor->UpdateDocFormulas(oldCode, newCode);
            return {{"done", true}};
        }
        if (what == "edit") {
            editor->setCodiceModello(command.value("model").toString());
            editor->setCodiceIndice(command.value("index").toString());
            editor->LoadIndice();
            editor->findChild<QAction*>("tbEdit")->trigger();
            typed = command.value("fields").toMap().keys();
            for (const QString& name : std::as_const(typed))
                editor->findChild<QWidget*>(name)->setProperty(
                    "text", command.value("fields").toMap().value(name));
            return {{"ready", true}};
        }
        if (what != "save")
            return {{"error", "comando sconosciuto: " + what}};
        BoxAnswerer answers(editor, {});
        editor->findChild<QAction*>("tbOK")->trigger();
        QStringList boxes;
        for (const SeenBox& box : std::as_const(answers.seen))
            boxes << box.shown.section(u'|', 1);
        QVariantMap texts;
        for (const QString& name : std::as_const(typed))
            texts.insert(name, editor->findChild<QWidget*>(name)->property("text"));
        return {{"boxes", boxes}, {"fields", texts}};
    }

    K7XBO_Global::CGlobal service;
    QWidget window;
    ctlIndici* editor;
    QStringList typed;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 6) {
        std::cerr << "uso: fault_worker driver host port user database" << std::endl;
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(arguments[1]);
    db.setHostName(arguments[2]);
    db.setPort(arguments[3].toInt());
    db.setUserName(arguments[4]);
    db.setDatabaseName(arguments[5]);
    if (!db.open()) {
        std::cerr << db.lastError().text().toStdString() << std::endl;
        return 2;
    }
    Host host(db);
    answer({{"ready", true}});
    for (std::string line; std::getline(std::cin, line);) {
        try {
            answer(host.run(
                QJsonDocument::fromJson(QByteArray::fromStdString(line)).object().toVariantMap()));
        } catch (const RuntimeError& failure) {
            answer({{"error", failure.description()}});
        }
    }
    return 0;
}
