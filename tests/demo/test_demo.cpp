// The demo host end to end on its SQLite database as a user drives it: edit, add, rename, usage.
#include "IndexList.h"
#include "MainWindow.h"
#include "Settings.h"

#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QDialogButtonBox>
#include <QKeySequenceEdit>
#include <QTreeWidget>

// Runs `run`; on the dialog of places (or of findings) it opens: its totals, then `answer` or a
// double-click on the first item of the group `group`.
static QString places(const std::function<void()>& run, QDialogButtonBox::StandardButton answer,
                      const char* treeName = "references", int group = 1) {
    QString totals;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (auto* tree = dialog ? dialog->findChild<QTreeWidget*>(treeName) : nullptr) {
            totals = dialog->findChild<QWidget*>("totals")->property("text").toString();
            if (answer)
                return dialog->findChild<QDialogButtonBox*>()->button(answer)->click();
            const QPoint place = tree->visualItemRect(tree->topLevelItem(group)->child(0)).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place);
            dialog->close(); // if the double-click left it open, the test fails instead of hanging
        }
    });
    poll.start(10);
    run();
    return totals;
}

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void editAddAndRename() {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        demo::MainWindow window(demo::openDemoDatabase(home.filePath("indici.sqlite")));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ctlIndici* editor = window.editor();
        BoxAnswerer boxes(editor);
        const auto type = [&](const char* name, const QString& text) {
            editor->findChild<QWidget*>(name)->setProperty("text", QString());
            QTest::keyClicks(editor->findChild<QWidget*>(name)->focusProxy(), text);
        };
        QCOMPARE(editor->findChild<QWidget*>("txtCodice")->property("text"), QVariant("AUTOFIN"));

        QVERIFY(window.openIndex("LIQIMM")); // edited with the component's own tools
        editor->findChild<QAction*>("tbEdit")->trigger();
        type("txtFormulaAllora", "Indice(\"ROE\") / 2");
        editor->findChild<QAction*>("tbOK")->trigger();
        window.newIndex(); // added through the host's commands; Refresh shows it
        type("txtCodice", "NUOVO");
        type("txtDescrizione", "Indice di prova");
        type("txtFormulaAllora", "Indice(\"ROE\") * 2");
        window.save();
        QCOMPARE(window.indexList()->currentCode(), "NUOVO");
        QVERIFY(window.openIndex("ROE")); // renamed after its preview: declined, refused, accepted
        const auto declined = places([&] { window.renameCurrent("ROEX"); }, QDialogButtonBox::No);
        QCOMPARE(places([&] { window.renameCurrent("ROI"); }, {}), ""); // another's: no preview
        QCOMPARE(places([&] { window.renameCurrent("ROEX"); }, QDialogButtonBox::Yes), declined);
        QCOMPARE(declined, "Formule: 5 (indici: 4) — campi dei documenti: 5 (documenti: 2)");
        QCOMPARE(places([&] { window.findChild<QAction*>("usage")->trigger(); }, {}), declined);
        QCOMPARE(window.indexList()->currentCode(), "LEVA"); // ROEX used as ROE was; LEVA opened
        QCOMPARE(editor->findChild<QWidget*>("txtCodice")->property("text").toString(), "LEVA");
        QCOMPARE(boxes.texts(), QStringList("Codice esistente.")); // the only box shown
    }

    // The model check of the sample model with a formula broken by hand: its finding opens the
    // index.
    void checkModel() {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        const auto database = demo::openDemoDatabase(home.filePath("indici.sqlite"));
        demo::MainWindow window(database);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto check = [&] {
            window.findChild<QAction*>("check")->trigger();
        };
        QCOMPARE(places(check, QDialogButtonBox::Close, "findings"),
                 "Il modello è integro: nessun problema trovato.");
        QSqlQuery(database.db)
            .exec("UPDATE KX09_INDICE SET KX09_FORMULAALTRIMENTI = "
                  "'Indice(\"PERSO\")' WHERE KX09_CODICEINDICE = 'LEVA'");
        QCOMPARE(places(check, {}, "findings", 0), "Problemi: 1 — informazioni: 0");
        QCOMPARE(window.indexList()->currentCode(), "LEVA");
    }

    // The settings refuse a hotkey of two key combinations, which could never fire.
    void settingsRefuseTwoChords() {
        K7XBO_Global::CGlobal service{QSqlDatabase()};
        demo::SettingsDialog dialog(service);
        dialog.findChild<QKeySequenceEdit*>()->setKeySequence(QKeySequence("Ctrl+K, Ctrl+S"));
        BoxAnswerer boxes(&dialog);
        dialog.accept();
        QCOMPARE(boxes.texts(), QStringList("Il tasto per «Modifica» deve essere una sola "
                                            "combinazione di tasti (per esempio Ctrl+S)."));
        QCOMPARE(service.Hotkeys()->keysOf("HKSTDEDIT"), QKeySequence(Qt::Key_F2));
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
