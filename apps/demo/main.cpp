// indici-demo: the reference host application of ctlIndici.
//   indici-demo [--database FILE | --database postgresql://user@host/db] [--screenshot FILE]
//               [--language en]
#include "DemoDatabase.h"
#include "MainWindow.h"

#include <K7X_DoruVevuzu/Translation.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

namespace {

bool wantsScreenshot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--screenshot") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (wantsScreenshot(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("indici-demo"));
    QApplication::setOrganizationName(QStringLiteral("ctlIndici"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Gestione degli indici di un modello"));
    parser.addHelpOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("File SQLite, oppure postgresql://utente@host/database."),
        QStringLiteral("database"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Salva l'immagine della finestra ed esce."),
                                        QStringLiteral("file"));
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Lingua dei testi del modulo (it, en)."),
                                      QStringLiteral("lingua"));
    parser.addOption(database);
    parser.addOption(screenshot);
    parser.addOption(language);
    parser.process(app);
    if (parser.isSet(language) && !K7X_DoruVevuzu::loadTranslation(parser.value(language)))
        qWarning("Lingua non disponibile: %s", qPrintable(parser.value(language)));

    try {
        demo::MainWindow window(demo::openDemoDatabase(parser.value(database)));
        window.resize(1180, 560);
        window.show();
        if (parser.isSet(screenshot)) {
            QApplication::processEvents();
            return window.grab().save(parser.value(screenshot)) ? 0 : 1;
        }
        return QApplication::exec();
    } catch (const K7X_DoruVevuzu::RuntimeError& failure) {
        QMessageBox::critical(nullptr, QStringLiteral("Indici del modello"), failure.description());
        return 1;
    }
}
