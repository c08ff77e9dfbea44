// Edit states, change handlers, toolbar tools and hotkeys, driven as a user and a host would.
#include "WorkflowHost.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

class TestEditStates : public QObject {
    Q_OBJECT
private slots:
    // Each row starts from the loaded index LIQIMM, shown with its fields locked.
    void transitions_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("tools"); // tbOK, tbEdit, tbCancel
        QTest::addColumn<bool>("codeOpen");
        QTest::addColumn<bool>("contentOpen");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("codiceIndice");

        const QString stored = QStringLiteral("Liquidità immediata (acid test)");
        const QString shown = QStringLiteral("LIQIMM - ") + stored;
        const QString code = QStringLiteral("LIQIMM");
        const QString fresh = QStringLiteral("Nuovo indice:  - ");
        // steps, then: adding, modified, tools, code open, content open, description, caption,
        // current code
        const auto rows = [&](auto row) {
            const QString ab = QStringLiteral("Nuovo indice: AB - ");
            const auto add = [&](const char* name, const QStringList& steps, bool adding,
                                 bool modified, const char* tools, bool codeOpen, bool contentOpen,
                                 const QString& description, const QString& caption,
                                 const QString& current) {
                row(name) << steps << adding << modified << QString::fromLatin1(tools) << codeOpen
                          << contentOpen << description << caption << current;
            };
            add("loaded", {}, false, false, "010", false, false, stored, shown, code);
            add("edit tool", {"tbEdit"}, false, false, "101", false, true, stored, shown, code);
            add("edit hotkey", {"F2"}, false, false, "101", false, true, stored, shown, code);
            add("save hotkey while viewing", {"CtrlS"}, false, false, "010", false, false, stored,
                shown, code);
            add("typing while editing", {"tbEdit", "txtDescrizione=!"}, false, true, "101", false,
                true, stored + "!", shown + "!", code);
            add("undo hotkey keeps the typing, locked", {"tbEdit", "txtDescrizione=!", "Esc"},
                false, true, "010", false, false, stored + "!", shown + "!", code);
            add("undo re-reads", {"tbEdit", "txtDescrizione=!", "ClickUndo"}, false, false, "011",
                false, false, stored, shown, code);
            add("add index", {"ClickAddIndex"}, true, false, "101", true, true, "", fresh, "");
            add("add while editing drops changes", {"tbEdit", "txtDescrizione=!", "ClickAddIndex"},
                true, false, "101", true, true, "", fresh, "");
            add("Adding twice keeps the entries", {"Adding+", "txtDescrizione=X", "Adding+"}, true,
                true, "101", true, true, "X", fresh + "X", "");
            add("add again empties", {"ClickAddIndex", "txtDescrizione=X", "ClickAddIndex"}, true,
                true, "101", true, true, "", fresh, "");
            add("code followed while adding", {"ClickAddIndex", "txtCodice= ab "}, true, true,
                "101", true, true, "", "Nuovo indice: ab - ", "ab");
            add("leave add mode", {"ClickAddIndex", "txtCodice=AB", "Adding-"}, false, true, "101",
                false, true, "", ab, code);
            add("undo while adding", {"ClickAddIndex", "txtCodice=AB", "ClickUndo"}, true, false,
                "101", true, true, "", ab, "AB");
            add("cancel from adding", {"ClickAddIndex", "txtCodice=AB", "ClickCancel"}, false,
                false, "011", false, false, stored, shown, code);
            add("cancel tool while adding", {"ClickAddIndex", "txtCodice=AB", "tbCancel"}, false,
                true, "010", false, false, "", ab, code);
        };
        TestDatabase::addRowsPerEngine(rows);
    }
    void transitions() {
        QFETCH(QString, engine);
        QFETCH(QStringList, steps);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        WorkflowHost host(engine);
        BoxAnswerer boxes(host.editor, {});
        for (const QString& step : steps)
            host.perform(step);
        QVERIFY(boxes.seen.isEmpty());
        QTEST(host.editor->Adding(), "adding");
        QTEST(Probe::modified(*host.editor), "modified");
        QTEST(host.tools(), "tools");
        QTEST(host.open("txtCodice"), "codeOpen");
        QTEST(host.open("txtDescrizione"), "contentOpen");
        QTEST(host.child("txtDescrizione")->property("text").toString(), "description");
        QTEST(host.child<QLabel>("lblCaption")->text(), "caption");
        QTEST(Probe::codiceIndice(*host.editor), "codiceIndice");
    }

    // Every user change of every control marks the form modified; here in add mode, where
    // every field is open.
    void everyControlMarksModified() {
        WorkflowHost host(QStringLiteral("sqlite"));
        host.editor->ClickAddIndex();
        for (const QString& control :
             QStringLiteral("txtCodice txtDescrizione txtTesto txtValoreScarso txtValoreNormale "
                            "txtValoreBuono txtDescrizioneScarso txtDescrizioneNormale "
                            "txtDescrizioneBuono txtFormulaCondizione txtFormulaAllora "
                            "txtFormulaAltrimenti txtFormulaSimbolica txtValErr cmbGrafico "
                            "ChkRelGest")
                 .split(u' ')) {
            Probe::modified(*host.editor) = false;
            QWidget* keyboard = host.keyboardOf(control);
            if (qobject_cast<QComboBox*>(keyboard))
                QTest::keyClick(keyboard, Qt::Key_Down);
            else if (qobject_cast<QCheckBox*>(keyboard))
                QTest::keyClick(keyboard, Qt::Key_Space);
            else
                QTest::keyClicks(keyboard, QStringLiteral("7"));
            QVERIFY2(Probe::modified(*host.editor), qPrintable(control));
        }
    }

    // Keys that are no hotkey, identifiers the component does not know, and a hidden tool.
    void ignoredHotkeys_data() {
        QTest::addColumn<QString>("identifier"); // assigned to F3
        QTest::addColumn<bool>("hideEdit");
        QTest::newRow("lower case") << "hkstdedit" << false;
        QTest::newRow("unknown") << "HKSTDPRINT" << false;
        QTest::newRow("no hotkey") << "" << false;
        QTest::newRow("hidden tool") << "HKSTDEDIT" << true;
    }
    void ignoredHotkeys() {
        QFETCH(QString, identifier);
        QFETCH(bool, hideEdit);
        WorkflowHost host(QStringLiteral("sqlite"));
        if (!identifier.isEmpty())
            host.service.Hotkeys()->assign(identifier, QKeySequence(Qt::Key_F3));
        host.child<QAction>("tbEdit")->setVisible(!hideEdit);
        QTest::keyClick(host.focused(), Qt::Key_F3);
        QVERIFY(!host.child<QAction>("tbOK")->isEnabled());
        QVERIFY(!host.open("txtDescrizione"));
    }

    // Without a host service every key press is reported, and still reaches the field.
    void noServiceReportsEveryKey() {
        WorkflowHost host(QStringLiteral("sqlite"), false);
        host.editor->setAdding(true);
        BoxAnswerer boxes(host.editor, {});
        QTest::keyClicks(host.keyboardOf("txtCodice"), QStringLiteral("ab"));
        QTest::keyClick(host.keyboardOf("txtCodice"), Qt::Key_F2);
        QCOMPARE(boxes.seen.size(), 3);
        for (const SeenBox& box : std::as_const(boxes.seen)) {
            QCOMPARE(box.shown, QStringLiteral("Rilevazione Hotkey|Il servizio dell'host "
                                               "(CGlobal) non è impostato."));
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QCOMPARE(host.child("txtCodice")->property("text").toString(), QStringLiteral("ab"));
        QCOMPARE(host.tools(), QStringLiteral("101"));
    }
};

QTEST_MAIN(TestEditStates)
#include "test_edit_states.moc"
