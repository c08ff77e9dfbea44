// The formula language, ReplaceIndice, and the formula buttons with the editor they open.
#include "formulas/FormulaCases.h"
#include "support/Host.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QtWidgets>

class TestFormulas : public QObject {
    Q_OBJECT
private slots:
    void language_data() {
        addTextRows({"text", "expected"}, kFormulas);
        // No input exhausts the stack: nesting is refused past 100 levels, long chains are not.
        const QString deep = QStringLiteral("La formula è annidata troppo in profondità (più di "
                                            "100 livelli) alla posizione %1.");
        const std::tuple<const char*, const char*, int, int> repeated[] = {
            {"(", "", 100000, 101},     {"ABS(", "", 100000, 401}, {"-", "1", 100000, 101},
            {"NON ", "1", 100000, 401}, {"2^", "2", 100000, 201},  {"1 + ", "1", 100000, 0},
            {"1 E ", "1", 100000, 0},   {"-", "1", 99, 0}}; // the last one at the limit
        for (const auto& [unit, tail, count, at] : repeated)
            QTest::newRow(qPrintable(QString("%1 x %2").arg(unit).arg(count)))
                << QString(unit).repeated(count) + tail << (at ? deep.arg(at) : QString("="));
    }
    // A sound formula gets no message and a stable canonical form; a refused one gets its
    // message and keeps the user's text.
    void language() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto& util = K7XBO_Global::CTextUtil::instance();
        const QString message = K7XBO_Global::CFormulaEngine().CheckFormula(text);
        const QString once = util.NormalizeFormula(text);
        QCOMPARE(message.isEmpty() ? once : message, expected == u'=' ? text : expected);
        QCOMPARE(util.NormalizeFormula(once), message.isEmpty() ? once : text);
    }

    // References to the old code are rewritten, all else stays.
    void replaceIndice() {
        for (QStringList row : textRows(kReferences)) {
            ctlIndici().ReplaceIndice(row[0], row[1], row[2]);
            QCOMPARE(row[0], row[3]);
        }
    }

    // A button opens the editor on its box; closing it writes the formula (modified) unless the
    // user gave up on a filled box. The editor lists, inserts, matches parentheses, checks.
    void editor() {
        TestHost host(QStringLiteral("sqlite"), {});
        const auto launch = [&](const QString& button, std::function<void(QDialog*)> act) {
            QTimer::singleShot(
                0, [act] { act(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
            host.child<QAbstractButton>("cmdFormula_" + button)->click();
        };
        // button | its box | text | modified | the user's answer | box after | modified after
        for (const QStringList& row : textRows(R"(
0 | txtFormulaCondizione | 1 | 0 | Annulla | 1 | 0
1 | txtFormulaAllora | 2 | 1 | Annulla | 2 | 1
2 | txtFormulaAltrimenti |  | 0 | Annulla |  | 1
1 | txtFormulaAllora | 3 | 0 | OK | 3 | 0
0 | txtFormulaCondizione | 4 | 0 | OK ABS(-1) | ABS(-1) | 1
)")) {
            host.set(row[1], row[2]);
            Probe::setModified(*host.editor, row[3] == u'1');
            QString shown;
            launch(row[0], [&](QDialog* dialog) {
                shown = dialog->objectName() + u' ' + dialog->property("formula").toString();
                dialog->setProperty("formula", row[4].section(u' ', 1));
                row[4].startsWith("OK") ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(shown, "FormulaEditor " + row[2]);
            QCOMPARE(host.text(row[1]), row[5]);
            QCOMPARE(Probe::modified(*host.editor), row[6] == u'1');
        }

        launch("2", [&](QDialog* dialog) {
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

        Probe::setModified(*host.editor, false); // a failure shows in a box and changes nothing
        host.database.db().close();              // the model's indices cannot be read
        BoxAnswerer answerer(host.editor);
        host.child<QAbstractButton>("cmdFormula_1")->click();
        QVERIFY(
            answerer.seen.size() == 1 && answerer.seen[0].icon == QMessageBox::Critical &&
            answerer.texts()[0].startsWith("Impossibile leggere gli indici del modello BILANCIO"));
        QVERIFY(host.text("txtFormulaAllora") == "3" && !Probe::modified(*host.editor));
    }
};

QTEST_MAIN(TestFormulas)
#include "test_formulas.moc"
