// The formula buttons and the editor they open, driven as a user drives them: a click on the
// real button, then the modal editor found from a timer and answered.
#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "support/Probe.h"
#include "support/TestDatabase.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using K7X_DoruVevuzu::ctlIndici;

namespace {

// Runs act on the next modal window as soon as it is open (from inside its exec()).
void whenModalOpens(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(modal);
        else
            whenModalOpens(act);
    });
}

QWidget* field(ctlIndici& editor, const char* name) {
    return editor.findChild<QWidget*>(QLatin1String(name));
}

void click(ctlIndici& editor, const char* button) {
    auto* target = editor.findChild<QAbstractButton*>(QLatin1String(button));
    QVERIFY(target && target->isEnabled());
    target->click();
}

} // namespace

class TestFormulaEditor : public QObject {
    Q_OBJECT
private slots:
    void launch_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("modifiedBefore");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("boxAfter");
        QTest::addColumn<bool>("modifiedAfter");
        const QString formula = QStringLiteral("Voce(\"A\") / 2");
        const QString abs = QStringLiteral("ABS(-1)");
        const auto row = [](const char* name, const QString& box, bool modifiedBefore, bool accept,
                            const QString& edited, const QString& boxAfter, bool modifiedAfter) {
            QTest::newRow(name) << box << modifiedBefore << accept << edited << boxAfter
                                << modifiedAfter;
        };
        row("filled box, cancel", formula, false, false, formula, formula, false);
        row("filled box, cancel keeps the flag", formula, true, false, formula, formula, true);
        row("empty box, cancel", {}, false, false, {}, {}, true);
        row("edited, OK", formula, false, true, abs, abs, true);
        row("emptied, OK: gave up", formula, false, true, {}, formula, false);
    }

    void launch() {
        QFETCH(QString, box);
        QFETCH(bool, modifiedBefore);
        QFETCH(bool, accept);
        QFETCH(QString, edited);
        QFETCH(QString, boxAfter);
        QFETCH(bool, modifiedAfter);
        ctlIndici editor;
        QWidget* allora = field(editor, "txtFormulaAllora");
        allora->setProperty("text", box);
        Probe::modified(editor) = modifiedBefore;
        QString shown;
        whenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            QCOMPARE(modal->objectName(), QStringLiteral("FormulaEditor"));
            shown = modal->property("formula").toString();
            modal->setProperty("formula", edited);
            accept ? dialog->accept() : dialog->reject();
        });
        click(editor, "cmdFormula_1");
        QCOMPARE(shown, box);
        QCOMPARE(allora->property("text").toString(), boxAfter);
        QCOMPARE(Probe::modified(editor), modifiedAfter);
    }

    // The editor lists the indices of the component's model, inserts a reference to one at
    // the cursor and checks what the user types.
    void editorWorksOnTheModel() {
        TestDatabase database(QStringLiteral("sqlite"), true);
        K7XBO_Global::CGlobal service(database.db());
        ctlIndici editor;
        editor.setCGlobal(&service);
        editor.setCodiceModello(QStringLiteral("BILANCIO"));
        editor.setCodiceIndice(QStringLiteral("ROE"));
        QStringList codes;
        QString inserted, verdictOnTyping, verdictOnUnknown;
        whenModalOpens([&](QWidget* modal) {
            auto* indices = modal->findChild<QTreeWidget*>(QStringLiteral("lstIndici"));
            auto* text = modal->findChild<QPlainTextEdit*>(QStringLiteral("txtFormula"));
            auto* verdict = modal->findChild<QLabel*>(QStringLiteral("lblVerifica"));
            for (int i = 0; i < indices->topLevelItemCount(); ++i)
                codes << indices->topLevelItem(i)->text(0);
            QTest::keyClicks(text, QStringLiteral("2 * "));
            indices->setCurrentItem(indices->findItems(QStringLiteral("ROI"), Qt::MatchExactly)[0]);
            QTest::keyClick(indices, Qt::Key_Return);
            inserted = text->toPlainText();
            QTest::keyClicks(text, QStringLiteral(" + ABS(1"));
            QTRY_VERIFY(verdict->text().contains(QStringLiteral("non è chiusa")));
            verdictOnTyping = verdict->text();
            text->setPlainText(QStringLiteral("Indice(\"NONC'E\")"));
            QTRY_VERIFY(verdict->text().contains(QStringLiteral("non esiste")));
            verdictOnUnknown = verdict->text();
            qobject_cast<QDialog*>(modal)->reject();
        });
        click(editor, "cmdFormula_0");
        QCOMPARE(codes.size(), 13);
        QVERIFY(codes.contains(QStringLiteral("ROE")) &&
                codes.contains(QStringLiteral("GIUDIZIO")));
        QCOMPARE(inserted, QStringLiteral("2 * Indice(\"ROI\")"));
        QCOMPARE(verdictOnTyping,
                 QStringLiteral("La parentesi aperta alla posizione 24 non è chiusa."));
        QCOMPARE(verdictOnUnknown,
                 QStringLiteral("L'indice \"NONC'E\" alla posizione 8 non esiste nel modello "
                                "BILANCIO."));
    }

    void functionsAreInsertedWithTheirHelp() {
        ctlIndici editor;
        QString inserted, help;
        qsizetype parenthesesMarked = 0;
        whenModalOpens([&](QWidget* modal) {
            auto* functions = modal->findChild<QListWidget*>(QStringLiteral("lstFunzioni"));
            auto* text = modal->findChild<QPlainTextEdit*>(QStringLiteral("txtFormula"));
            functions->setCurrentRow(6);
            help = modal->findChild<QLabel*>(QStringLiteral("lblAiuto"))->text();
            QTest::keyClick(functions, Qt::Key_Return);
            QTest::keyClicks(text, QStringLiteral("1; 2; 3"));
            inserted = text->toPlainText();
            parenthesesMarked = text->extraSelections().size(); // the cursor is before ")"
            qobject_cast<QDialog*>(modal)->accept();
        });
        click(editor, "cmdFormula_2");
        QVERIFY2(help.startsWith(QStringLiteral("SE(condizione; allora; altrimenti): ")),
                 qPrintable(help)); // the chosen function's own line of help
        QCOMPARE(inserted, QStringLiteral("SE(1; 2; 3)"));
        QCOMPARE(parenthesesMarked, 2);
        QCOMPARE(field(editor, "txtFormulaAltrimenti")->property("text").toString(), inserted);
    }

    // A failure inside the click reaches the user in a message box and changes nothing.
    void failureIsShownNotThrown() {
        K7XBO_Global::CGlobal service{QSqlDatabase()}; // no database to read the indices from
        ctlIndici editor;
        editor.setCGlobal(&service);
        editor.setCodiceModello(QStringLiteral("BILANCIO"));
        field(editor, "txtFormulaAllora")->setProperty("text", QStringLiteral("1"));
        Probe::modified(editor) = false;
        QString message;
        whenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->icon(), QMessageBox::Critical);
            message = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        click(editor, "cmdFormula_1");
        QVERIFY2(message.startsWith(QStringLiteral("Impossibile leggere gli indici del modello "
                                                   "BILANCIO")),
                 qPrintable(message));
        QCOMPARE(field(editor, "txtFormulaAllora")->property("text").toString(),
                 QStringLiteral("1"));
        QCOMPARE(Probe::modified(editor), false);
    }
};

QTEST_MAIN(TestFormulaEditor)
#include "test_formula_editor.moc"
