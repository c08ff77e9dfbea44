// The smallest host: one window, one index, saved through the closing protocol on exit.
#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QSqlDatabase>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(":memory:"));
    db.open();

    K7XBO_Global::CGlobal service(db); // the host's business-object service
    K7X_DoruVevuzu::ctlIndici editor;  // the component
    editor.setCGlobal(&service);
    editor.setCodiceModello(QStringLiteral("BILANCIO"));
    editor.setCodiceIndice(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("ROE"));
    QObject::connect(&editor, &K7X_DoruVevuzu::ctlIndici::Refresh, [] { /* reload host lists */ });
    try {
        editor.LoadIndice();
    } catch (const K7X_DoruVevuzu::RuntimeError& error) {
        qWarning("%s", error.what());
    }
    editor.show();
    if (qEnvironmentVariableIsSet("EMBED_SMOKE"))
        return 0;
    const int status = QApplication::exec();
    QString newIndex;
    editor.CanClose(newIndex); // saves pending changes (asks when they are invalid)
    editor.UnloadIndice();
    editor.Destroy();
    return status;
}
