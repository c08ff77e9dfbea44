// The formula language, ReplaceIndice, and the formula buttons with the editor they open.
#include "formulas/FormulaCases.h"
#include "support/Host.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

// Clicks a formula button; `act` gets the editor it opens.
void launch(const TestHost& host, int button, const std::function<void(QDialog*)>& act) {
    QTimer::singleShot(0,
                       [act] { act(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
    host.child<QAbstractButton>("cmdFormula_" + QString::number(button))->click();
}

} // namespace

class TestFormulas : public QObject {
    Q_OBJECT
private slots:
    void language_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        for (const auto& [text, expected] : kFormulas)
            QTest::newRow(text) << QString(text) << QString(expected);
        // No input exhausts the stack: nesting is refused past 100 levels, long chains are not.
        const QString deep = QStringLiteral("La formula è annidata troppo in profondità (più di "
                                            "100 livelli) alla posizione %1.");
        const std::tuple<const char*, const char*, int, int> repeated[] = {
            {"(", "", 100000, 101},     {"ABS(", "", 100000, 401}, {"-", "1", 100000, 101},
            {"NON ", "1", 100000, 401}, {"2^", "2", 100000, 201},  {"1 + ", "1", 100000, 0},
            {"1 E ", "1", 100000, 0},   {"-", "1", 99, 0}}; // the last one at the limit
        for (const auto& [unit, tail, count, at] : repeated) {
            const QString text = QString(unit).repeated(count) + tail;
            QTest::addRow("%s x %d", unit, count) << text << (at ? deep.arg(at) : text);
        }
    }
    // A sound formula gets a stable canonical form; a refused one its message, its text kept.
    void language() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto& util = K7XBO_Global::CTextUtil::instance();
        const QString message = K7XBO_Global::CFormulaEngine().CheckFormula(text);
        const QString once = util.NormalizeFormula(text);
        QCOMPARE(message.isEmpty() ? once : message, expected);
        QCOMPARE(util.NormalizeFormula(once), message.isEmpty() ? once : text);
    }

    // References to the old code are rewritten, all else stays.
    void replaceIndice_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("rewritten");
        for (const auto& [script, from, to, rewritten] : kReferences)
            QTest::addRow("%s, %s to %s", script, from, to)
                << QString(script) << QString(from) << QString(to) << QString(rewritten);
    }
    void replaceIndice() {
        QFETCH(QString, script);
        QFETCH(QString, from);
        QFETCH(QString, to);
        ctlIndici().ReplaceIndice(script, from, to);
        QTEST(script, "rewritten");
    }

    // A button opens the editor on its box; closing it writes the formula (modified) unless the
    // user gave up (cancelled or emptied the editor) on a filled box.
    void editor_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text"); // in its box
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("accepted");   // the user's answer: OK or Annulla
        QTest::addColumn<QString>("formula"); // in the editor when it closes
        QTest::addColumn<QString>("after");   // in the box
        QTest::addColumn<bool>("modifiedAfter");
        QTest::newRow("cancelled") << 0 << u"1"_s << false << false << QString() << u"1"_s << false;
        QTest::newRow("cancelled, modified")
            << 1 << u"2"_s << true << false << QString() << u"2"_s << true;
        QTest::newRow("an empty box")
            << 2 << QString() << false << false << QString() << QString() << true;
        QTest::newRow("emptied") << 1 << u"3"_s << false << true << QString() << u"3"_s << false;
        QTest::newRow("written") << 0 << u"4"_s << false << true << u"ABS(-1)"_s << u"ABS(-1)"_s
                                 << true;
    }
    void editor() {
        QFETCH(int, button);
        QFETCH(QString, text);
        QFETCH(bool, modified);
        QFETCH(bool, accepted);
        QFETCH(QString, formula);
        TestHost host(QStringLiteral("sqlite"), {});
        const QString box =
            QStringList{"txtFormulaCondizione", "txtFormulaAllora", "txtFormulaAltrimenti"}[button];
        host.set(box, text);
        Probe::setModified(*host.editor, modified);
        QString shown;
        launch(host, button, [&](QDialog* dialog) {
            shown = dialog->objectName() + u' ' + dialog->property("formula").toString();
            dialog->setProperty("formula", formula);
            accepted ? dialog->accept() : dialog->reject();
        });
        QCOMPARE(shown, "FormulaEditor " + text);
        QTEST(host.text(box), "after");
        QTEST(Probe::modified(*host.editor), "modifiedAfter");
    }

    // The editor inserts the model's indices and the functions, matches parentheses, checks, helps;
    // a failure to read the indices shows in a box and changes nothing.
    void editorDialog() {
        TestHost host(QStringLiteral("sqlite"), {});
        launch(host, 2, [&](QDialog* dialog) {
            const auto close = qScopeGuard([dialog] { dialog->accept(); }); // also on a failure
            auto* indices = dialog->findChild<QTreeWidget*>("lstIndici");
            auto* text = dialog->findChild<QPlainTextEdit*>("txtFormula");
            auto* verdict = dialog->findChild<QLabel*>("lblVerifica");
            QCOMPARE(indices->topLevelItemCount(), 13);
            QTest::keyClicks(text, "2 * ");
            indices->setCurrentItem(indices->findItems("ROI", Qt::MatchExactly)[0]);
            QTest::keyClick(indices, Qt::Key_Return);
            QCOMPARE(text->toPlainText(), "2 * Indice(\"ROI\")");
            QTest::keyClicks(text, " + ABS(1");
            QTRY_COMPARE(verdict->text(), "La parentesi aperta alla posizione 24 non è chiusa.");
            text->setPlainText("Indice(\"NONC'E\")");
            QTRY_COMPARE(verdict->text(),
                         "L'indice \"NONC'E\" alla posizione 8 non esiste nel modello BILANCIO.");
            text->clear();
            auto* functions = dialog->findChild<QListWidget*>("lstFunzioni");
            functions->setCurrentRow(6); // its own line of help, then inserted at the cursor
            const QString help = dialog->findChild<QLabel*>("lblAiuto")->text();
            QVERIFY2(help.startsWith("SE(condizione; allora; altrimenti): "), qPrintable(help));
            QTest::keyClick(functions, Qt::Key_Return);
            QTest::keyClicks(text, "1; 2; 3");
            QCOMPARE(text->extraSelections().size(), 2); // the cursor is before ")"
        });
        QCOMPARE(host.text("txtFormulaAltrimenti"), "SE(1; 2; 3)");

        host.set("txtFormulaAllora", "3");
        Probe::setModified(*host.editor, false); // a failure shows in a box and changes nothing
        host.database.db().close();              // the model's indices cannot be read
        BoxAnswerer answerer(host.editor);
        host.child<QAbstractButton>("cmdFormula_1")->click();
        QVERIFY(
            answerer.seen.size() == 1 && answerer.seen[0].kind == SeenBox::Error &&
            answerer.texts()[0].startsWith("Impossibile leggere gli indici del modello BILANCIO"));
        QVERIFY(host.text("txtFormulaAllora") == "3" && !Probe::modified(*host.editor));
    }
};

QTEST_MAIN(TestFormulas)
#include "test_formulas.moc"
