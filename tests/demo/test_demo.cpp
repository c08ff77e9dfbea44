// The demo host end to end on its SQLite database as a user drives it: edit, add, rename.
#include "IndexList.h"
#include "MainWindow.h"
#include "Settings.h"

#include "documents/Document.h"
#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QKeySequenceEdit>

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
        const auto type = [&](const char* name, const QString& text) {
            editor->findChild<QWidget*>(name)->setProperty("text", QString());
            QTest::keyClicks(editor->findChild<QWidget*>(name)->focusProxy(), text);
        };
        QVERIFY(window.indexList()->count() >= 10);
        QCOMPARE(editor->findChild<QWidget*>("txtCodice")->property("text").toString(),
                 window.indexList()->codeAt(0));

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
        QVERIFY(window.openIndex("ROE")); // renamed: the row, every formula and the documents
        window.renameCurrent("ROEX");
        QCOMPARE(window.indexList()->currentCode(), "ROEX");

        // The edited row, the new and the renamed one, no ROE left, the formulas naming ROEX.
        QSqlQuery rows(
            "SELECT SUM(KX09_CODICEINDICE = 'LIQIMM' AND KX09_DESCRIZIONE = 'Liquidita "
            "immediata (rivista)') || SUM(KX09_CODICEINDICE IN ('NUOVO', 'ROEX')) || "
            "SUM(KX09_CODICEINDICE = 'ROE' OR KX09_FORMULAALLORA LIKE '%Indice(\"ROE\")%' "
            "OR KX09_FORMULACONDIZIONE LIKE '%Indice(\"ROE\")%') || "
            "SUM(KX09_FORMULAALLORA LIKE '%Indice(\"ROEX\")%') FROM KX09_INDICE",
            database.db);
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), "1203");
        for (const char* name : {"Relazione.docx", "Sintesi.odt"}) {
            const auto document =
                K7X_DoruVevuzu::documents::Document::open(database.appPath + "/Documenti/" + name);
            QString text;
            for (int story = 0; story < document->storyCount(); ++story)
                text += document->text(story, 0, document->storyLength(story));
            QVERIFY2(text.contains("{{Indice(\"ROEX\")}}") && !text.contains("Indice(\"ROE\")"),
                     name);
        }
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
