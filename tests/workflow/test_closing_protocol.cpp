// The closing protocol as a host and a user meet it: questions, documents, saving, Refresh.
#include "WorkflowHost.h"

#include <QRegularExpression>

namespace {

const QString kStored = QStringLiteral("Liquidità immediata (acid test)");
const QString kInvalidCode = QStringLiteral(
    "Nuovo indice:  - Nuovo|Attenzione!\r\nInserire il codice.\r\n\r\nProseguendo perderai le "
    "modifiche\r\neffettuate. Vuoi continuare?");

// An expected box "title|text" where "*" stands for any text.
bool matches(const QString& pattern, const QString& shown) {
    QStringList parts = pattern.split(u'*');
    for (QString& part : parts)
        part = QRegularExpression::escape(part);
    return QRegularExpression(QRegularExpression::anchoredPattern(parts.join(".*")),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(shown)
        .hasMatch();
}

// Steps that prepare the database or the state before the user acts.
void prepare(WorkflowHost& host, const QString& step) {
    if (step == QLatin1String("rejectInserts") && host.database.engine() == "sqlite") {
        host.database.exec("CREATE TRIGGER rifiuta BEFORE INSERT ON KX09_INDICE "
                           "BEGIN SELECT RAISE(ABORT, 'Inserimento rifiutato'); END");
    } else if (step == QLatin1String("rejectInserts")) {
        host.database.exec("CREATE FUNCTION rifiuta() RETURNS trigger AS $$ BEGIN RAISE "
                           "EXCEPTION 'Inserimento rifiutato'; END $$ LANGUAGE plpgsql");
        host.database.exec("CREATE TRIGGER rifiuta BEFORE INSERT ON KX09_INDICE "
                           "FOR EACH ROW EXECUTE FUNCTION rifiuta()");
    } else if (step == QLatin1String("strayCode")) {
        // A code left outside add mode, as LoadIndice during add mode leaves it.
        host.child("txtCodice")->setProperty("text", QStringLiteral("ALTRO"));
        Probe::setCodiceIndice(*host.editor, QStringLiteral("ALTRO"));
        host.service.hostAppFails = true;
    } else {
        host.perform(step);
    }
}

QList<QMessageBox::StandardButton> buttonsOf(const QStringList& answers) {
    QList<QMessageBox::StandardButton> buttons;
    for (const QString& answer : answers)
        buttons << (answer == "No" ? QMessageBox::No : QMessageBox::Yes);
    return buttons;
}

} // namespace

class TestClosingProtocol : public QObject {
    Q_OBJECT
private slots:
    // The host calls CanClose(newIndex) with newIndex = "invariato" after the steps.
    void canClose_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("newIndex");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QString>("codiceIndice");
        QTest::addColumn<QString>("stored"); // LIQIMM's description in the table

        const QStringList fillNew{"ClickAddIndex", "txtCodice=NUOVO", "txtDescrizione=Nuovo",
                                  "txtFormulaAllora=1"};
        const QString docBox =
            "Finestra host|Attenzione!\r\n*\r\nVuoi ugualmente effettuare le modifiche?";
        const QString same = "invariato";
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("nothing modified") << QStringList{} << QStringList{} << true << QStringList{}
                                    << false << same << 0 << "LIQIMM" << kStored;
            row("new index untouched")
                << QStringList{"ClickAddIndex"} << QStringList{} << true << QStringList{} << false
                << same << 0 << "LIQIMM" << kStored;
            row("new index saved") << fillNew << QStringList{} << true << QStringList{} << false
                                   << "NUOVO" << 1 << "NUOVO" << kStored;
            row("invalid new index, No")
                << QStringList{"ClickAddIndex", "txtDescrizione=Nuovo"} << QStringList{"No"}
                << false << QStringList{kInvalidCode} << true << same << 0 << "" << kStored;
            row("invalid new index, Yes")
                << QStringList{"ClickAddIndex", "txtDescrizione=Nuovo"} << QStringList{"Yes"}
                << true << QStringList{kInvalidCode} << false << same << 0 << "LIQIMM" << kStored;
            row("edited, same code")
                << QStringList{"tbEdit", "txtDescrizione=!"} << QStringList{} << true
                << QStringList{} << false << same << 0 << "LIQIMM" << kStored + "!";
            row("save failed") << QStringList{"rejectInserts"} + fillNew << QStringList{} << true
                               << QStringList{"Finestra host|Errore in fase di chiusura!\r\n*"
                                              "Inserimento rifiutato*\r\nError n. *"}
                               << false << same << 0 << "LIQIMM" << kStored;
            row("document update failed, No")
                << QStringList{"tbEdit", "txtDescrizione=!", "strayCode"} << QStringList{"No"}
                << true << QStringList{docBox} << false << same << 0 << "ALTRO" << kStored;
            row("document update failed, Yes")
                << QStringList{"tbEdit", "txtDescrizione=!", "strayCode"} << QStringList{"Yes"}
                << true << QStringList{docBox} << false << same << 0 << "ALTRO" << kStored + "!";
        });
    }
    void canClose() {
        QFETCH(QString, engine);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, boxes);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        WorkflowHost host(engine);
        for (const QString& step : steps)
            prepare(host, step);

        QString newIndex = QStringLiteral("invariato");
        QStringList atRefresh; // NewIndex and the pointer, as the host's handler finds them
        connect(host.editor, &ctlIndici::Refresh, this, [&] {
            atRefresh << newIndex
                      << (host.editor->cursor().shape() == Qt::WaitCursor ? "busy" : "");
        });
        BoxAnswerer answerer(host.editor, buttonsOf(answers));
        QTEST(host.editor->CanClose(newIndex), "result");

        QCOMPARE(answerer.seen.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            const SeenBox& box = answerer.seen.at(i);
            QVERIFY2(matches(boxes.at(i), box.shown), qPrintable(box.shown));
            QVERIFY(!box.hourglass);
            if (box.icon == QMessageBox::Question) {
                QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
                QCOMPARE(box.defaultButton, QMessageBox::No);
            } else {
                QCOMPARE(box.icon, QMessageBox::Critical);
                QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            }
        }
        QVERIFY(!host.editor->testAttribute(Qt::WA_SetCursor));
        QTEST(host.editor->Adding(), "adding");
        QTEST(newIndex, "newIndex");
        QFETCH(int, refreshes);
        const QStringList expectedAtRefresh =
            refreshes ? QStringList{newIndex, QStringLiteral("busy")} : QStringList{};
        QCOMPARE(atRefresh, expectedAtRefresh);
        QTEST(Probe::codiceIndice(*host.editor), "codiceIndice");
        const QString where = " FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BILANCIO' AND ";
        QCOMPARE(
            host.database.value("SELECT COUNT(*)" + where + "KX09_CODICEINDICE='NUOVO'").toInt(),
            refreshes);
        QTEST(host.database.value("SELECT KX09_DESCRIZIONE" + where + "KX09_CODICEINDICE='LIQIMM'")
                  .toString(),
              "stored");
    }

    // A failure before the code-change step reaches the host; a tool or hotkey shows it.
    void failureBeforeTheCodeStep_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("via");
        QTest::addColumn<QString>("box");
        const QString unreachable = QStringLiteral("|Database non raggiungibile.");
        TestDatabase::addRowsPerEngine([&](auto row) {
            row("host") << "host" << QString();
            row("save tool") << "tbOK"
                             << "Nuovo indice: NUOVO - " + unreachable;
            row("save hotkey") << "CtrlS"
                               << "Rilevazione Hotkey" + unreachable;
        });
    }
    void failureBeforeTheCodeStep() {
        QFETCH(QString, engine);
        QFETCH(QString, via);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        WorkflowHost host(engine);
        host.perform("ClickAddIndex");
        host.perform("txtCodice=NUOVO");
        host.service.databaseFails = true;
        BoxAnswerer answerer(host.editor, {});
        if (via == "host") {
            QString newIndex;
            QVERIFY_THROWS_EXCEPTION(RuntimeError, host.editor->CanClose(newIndex));
            QCOMPARE(host.editor->cursor().shape(), Qt::WaitCursor);
        } else {
            host.perform(via);
            QCOMPARE(answerer.seen.size(), 1);
            QTEST(answerer.seen.first().shown, "box");
            QCOMPARE(answerer.seen.first().icon, QMessageBox::Critical);
        }
        QVERIFY(host.editor->Adding());
        QCOMPARE(host.tools(), QStringLiteral("101"));
    }
};

QTEST_MAIN(TestClosingProtocol)
#include "test_closing_protocol.moc"
