// indici-demo: the reference host application of ctlIndici.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("indici-demo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Indici del modello"));
    auto* editor = new K7X_DoruVevuzu::ctlIndici(&window);
    window.setCentralWidget(editor);
    window.resize(10440 / 15, 7005 / 15);
    window.show();
    return QApplication::exec();
}
