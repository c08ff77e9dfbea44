// The demo host end to end on its SQLite database as a user drives it: edit, add, rename, usage.
#include "IndexList.h"
#include "MainWindow.h"
#include "Settings.h"

#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QDialogButtonBox>
#include <QKeySequenceEdit>
#include <QTreeWidget>

using Button = QDialogButtonBox::StandardButton;

// Runs `command`; once the dialog of places it opens shows, takes its groups (with their counts)
// and clicks `button`, or with none double-clicks the first place of the second group.
static QStringList places(const std::function<void()>& command, Button button) {
    QStringList groups;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* tree = dialog ? dialog->findChild<QTreeWidget*>("references") : nullptr;
        if (!tree)
            return;
        poll.stop();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            groups << tree->topLevelItem(i)->text(0);
        if (button)
            return dialog->findChild<QDialogButtonBox*>()->button(button)->click();
        const QPoint place = tree->visualItemRect(tree->topLevelItem(1)->child(0)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place);
    });
    poll.start(10);
    command();
    return groups;
}

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void editAddAndRename() {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        const demo::DemoDatabase database = demo::openDemoDatabase(home.filePath("indici.sqlite"));
        demo::MainWindow window(database);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ctlIndici* editor = window.editor();
        BoxAnswerer boxes(editor); // no road of this test asks anything
        const auto field = [&](const char* name) {
            return editor->findChild<QWidget*>(name);
        };
        const auto type = [&](const char* name, const QString& text) {
            field(name)->setProperty("text", QString());
            QTest::keyClicks(field(name)->focusProxy(), text);
        };
        QVERIFY(window.indexList()->count() >= 10);
        QCOMPARE(field("txtCodice")->property("text").toString(), window.indexList()->codeAt(0));

        QVERIFY(window.openIndex("LIQIMM")); // edited with the component's own tools
        editor->findChild<QAction*>("tbEdit")->trigger();
        type("txtDescrizione", "Liquidita immediata (rivista)");
        editor->findChild<QAction*>("tbOK")->trigger();
        window.newIndex(); // added through the host's commands; Refresh shows it
        type("txtCodice", "NUOVO");
        type("txtDescrizione", "Indice di prova");
        type("txtFormulaAllora", "Indice(\"ROE\") * 2");
        window.save();
        QCOMPARE(window.indexList()->currentCode(), "NUOVO");
        QVERIFY(!editor->Adding());
        QVERIFY(window.openIndex("ROE")); // renamed after its preview, declined then accepted
        const auto rename = [&] {
            window.renameCurrent("ROEX");
        };
        const QStringList declined = places(rename, QDialogButtonBox::No);
        QCOMPARE(places(rename, QDialogButtonBox::Yes), declined); // declining changed nothing
        QCOMPARE(declined,
                 QStringList({"Indice GIUDIZIO (2)", "Indice LEVA (1)", "Indice NUOVO (1)",
                              "Documento Relazione.docx (3)", "Documento Sintesi.odt (2)"}));
        QCOMPARE(window.indexList()->currentCode(), "ROEX");
        // Where ROEX is used: every place that named ROE; LEVA's formula double-clicked opens it.
        QCOMPARE(places([&] { window.findChild<QAction*>("usage")->trigger(); }, {}), declined);
        QCOMPARE(window.indexList()->currentCode(), "LEVA");
        QCOMPARE(field("txtCodice")->property("text").toString(), "LEVA");
        QVERIFY(window.openIndex("LIQIMM")); // the edit was saved
        QCOMPARE(field("txtDescrizione")->property("text").toString(),
                 "Liquidita immediata (rivista)");
        QVERIFY2(boxes.seen.isEmpty(), qPrintable(boxes.texts().join(" | ")));
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
