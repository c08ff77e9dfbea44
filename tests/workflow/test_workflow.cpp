// The editing workflow as a user and a host drive it: edit states and commands, change handlers,
// tools and hotkeys, and the closing protocol with its questions, saves, failures and Refresh.
#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QLabel>
#include <QRegularExpression>

namespace {

const QString kStored = QStringLiteral("Liquidità immediata (acid test)");

// What the user and the host see: "<adding><modified> <tools OK, Edit, Cancel> <code open>
// <content open>[ busy]|description|caption|current code", then the row's log.
QString seen(const TestHost& host, const QStringList& log) {
    const ctlIndici& editor = *host.editor;
    const QString pointer = !editor.testAttribute(Qt::WA_SetCursor)     ? ""
                            : editor.cursor().shape() == Qt::WaitCursor ? " busy"
                                                                        : " pointer";
    return (QStringList{QStringLiteral("%1%2 %3 %4%5")
                                .arg(editor.Adding())
                                .arg(Probe::modified(editor))
                                .arg(host.tools())
                                .arg(host.open("txtCodice"))
                                .arg(host.open("txtDescrizione")) +
                            pointer,
                        host.text("txtDescrizione"), host.child<QLabel>("lblCaption")->text(),
                        Probe::codiceIndice(editor)} +
            log)
        .join(u'|');
}

// Whether a box as seen ("title|text", " (busy)" when the pointer was the hourglass) is the one
// expected, where "*" stands for any text.
bool matches(const QString& pattern, const QString& shown) {
    QStringList parts = pattern.split(u'*');
    for (QString& part : parts)
        part = QRegularExpression::escape(part);
    return QRegularExpression(QRegularExpression::anchoredPattern(parts.join(".*")),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(shown)
        .hasMatch();
}

} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    // Each row starts from LIQIMM loaded, shown with its fields locked. Besides TestHost's steps:
    // Yes and No answer the next box, ID>F3 assigns a hotkey to F3, CanClose is the host's call
    // (logged with NewIndex, "invariato" before), stored logs the stored rows.
    void steps_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QStringList>("boxes");
        const QString liq = "|" + kStored + "|LIQIMM - " + kStored + "|LIQIMM";
        const QString liq1 = "|" + kStored + "!|LIQIMM - " + kStored + "!|LIQIMM";
        const QString altro = "|" + kStored + "!|ALTRO - " + kStored + "!|ALTRO";
        const QString loaded = "00 010 00" + liq, edit = "00 101 01" + liq;
        const QString fresh = "||Nuovo indice:  - |", ab = "||Nuovo indice: AB - |";
        const QString nuovo = "|Nuovo|Nuovo indice: NUOVO - Nuovo|", S = "|stored " + kStored;
        const QString ok = "|closed invariato" + S,
                      busy = "11 101 11 busy||Nuovo indice: NUOVO - |NUOVO";
        const QString close = ";CanClose;stored", addAB = "ClickAddIndex;txtCodice=AB;";
        const QString edited = "tbEdit;txtDescrizione=!;", stray = edited + "strayCode;";
        const QString fillNew =
            "ClickAddIndex;txtCodice=NUOVO;txtDescrizione=Nuovo;txtFormulaAllora=1";
        const QString invalid = "ClickAddIndex;txtDescrizione=Nuovo;";
        const QString failing = "ClickAddIndex;txtCodice=NUOVO;databaseFails;";
        const QString noCode = "Nuovo indice:  - Nuovo|Attenzione!\r\nInserire il codice.\r\n\r\n"
                               "Proseguendo perderai le modifiche\r\neffettuate. Vuoi continuare?";
        const QString docs =
            "Finestra host|Attenzione!\r\n*\r\nVuoi ugualmente effettuare le modifiche?";
        const QString noService =
            "Rilevazione Hotkey|Il servizio dell'host (CGlobal) non è impostato.";
        const QString unreachable = "|Database non raggiungibile. (busy)";
        TestDatabase::addRowsPerEngine([&](auto row) {
            const auto add = [&](const char* name, const QString& steps, const QString& seen,
                                 const QStringList& boxes = {}) {
                row(name) << steps << seen << boxes;
            };
            add("loaded", "", loaded);
            add("edit tool", "tbEdit", edit);
            add("edit hotkey", "F2", edit);
            add("edit hotkey moved to F3", "HKSTDEDIT>F3;F3", edit);
            add("save hotkey while viewing", "CtrlS", loaded);
            add("identifiers are case-sensitive", "hkstdedit>F3;F3", loaded);
            add("unknown identifier", "HKSTDPRINT>F3;F3", loaded);
            add("no hotkey", "F3", loaded);
            add("hidden tool", "HKSTDEDIT>F3;hideEdit;F3", "00 000 00" + liq);
            add("typing while editing", edited + "ClickOk", "01 101 01" + liq1);
            add("undo hotkey keeps the typing, locked", edited + "Esc", "01 010 00" + liq1);
            add("undo re-reads", edited + "ClickUndo", "00 011 00" + liq);
            add("add index", "ClickAddIndex", "10 101 11" + fresh);
            add("add while editing drops changes", edited + "ClickAddIndex", "10 101 11" + fresh);
            add("Adding twice keeps the entries", "Adding+;txtDescrizione=X;Adding+",
                "11 101 11|X|Nuovo indice:  - X|");
            add("add again empties", "ClickAddIndex;txtDescrizione=X;ClickAddIndex",
                "11 101 11" + fresh);
            add("code followed", "ClickAddIndex;txtCodice= ab ",
                "11 101 11||Nuovo indice: ab - |ab");
            add("leave add mode", addAB + "Adding-", "01 101 01" + ab + "LIQIMM");
            add("undo while adding", addAB + "ClickUndo", "10 101 11" + ab + "AB");
            add("cancel from adding", addAB + "ClickCancel", "00 011 00" + liq);
            add("cancel tool while adding", addAB + "tbCancel", "01 010 00" + ab + "LIQIMM");
            add("no service: every key reported", "noService;Adding+;txtCodice=ab;F2",
                "11 101 10||Nuovo indice: ab - |ab", {noService, noService, noService});
            // The closing protocol: the host calls CanClose, then looks at the stored rows.
            add("nothing modified", close, loaded + ok);
            add("new index untouched", "ClickAddIndex" + close,
                "00 101 00" + fresh + "LIQIMM" + ok);
            add("new index saved", fillNew + close,
                "00 101 01" + nuovo + "NUOVO|Refresh NUOVO busy|closed NUOVO|stored NUOVO, " +
                    kStored);
            add("invalid new index, No", invalid + "No" + close,
                "11 101 11|Nuovo|Nuovo indice:  - Nuovo||kept invariato" + S, {noCode});
            add("invalid new index, Yes", invalid + "Yes" + close,
                "01 101 01|Nuovo|Nuovo indice:  - Nuovo|LIQIMM" + ok, {noCode});
            add("edited, same code", edited + close, "00 101 00" + liq1 + ok + "!");
            add("save failed", "rejectInserts;" + fillNew + close,
                "01 101 01" + nuovo + "LIQIMM" + ok,
                {"Finestra host|Errore in fase di chiusura!\r\n*Inserimento rifiutato*\r\nError n. "
                 "*"});
            add("document update failed, No", stray + "No" + close, "01 101 01" + altro + ok,
                {docs});
            add("document update failed, Yes", stray + "Yes" + close,
                "00 101 00" + altro + ok + "!", {docs});
            // A failure before the code-change step reaches the host; a tool or hotkey shows it
            // (the hourglass stays on).
            add("failure before the code step", failing + "CanClose",
                busy + "|raised Database non raggiungibile.");
            add("failure before the code step, save tool", failing + "tbOK", busy,
                {"Nuovo indice: NUOVO - " + unreachable});
            add("failure before the code step, save hotkey", failing + "CtrlS", busy,
                {"Rilevazione Hotkey" + unreachable});
        });
    }
    void steps() {
        QFETCH(QString, engine);
        QFETCH(QString, steps);
        QFETCH(QStringList, boxes);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine);
        QStringList log;
        QString newIndex = QStringLiteral("invariato");
        connect(host.editor, &ctlIndici::Refresh, this, [&] {
            log << "Refresh " + newIndex +
                       (host.editor->cursor().shape() == Qt::WaitCursor ? " busy" : "");
        });
        QList<QMessageBox::StandardButton> answers;
        for (const QString& answer : steps.split(u';'))
            if (answer == "Yes" || answer == "No")
                answers << (answer == "Yes" ? QMessageBox::Yes : QMessageBox::No);
        BoxAnswerer answerer(host.editor, answers);
        const bool sqlite = engine == "sqlite";
        for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
            if (step.endsWith(">F3")) {
                host.service.Hotkeys()->assign(step.chopped(3), QKeySequence(Qt::Key_F3));
            } else if (step == "F3") {
                QTest::keyClick(host.focused(), Qt::Key_F3);
            } else if (step == "hideEdit") {
                host.child<QAction>("tbEdit")->setVisible(false);
            } else if (step == "noService") {
                host.editor->setCGlobal(nullptr);
            } else if (step == "databaseFails") {
                host.service.databaseFails = true;
            } else if (step == "rejectInserts") {
                if (!sqlite)
                    host.database.exec("CREATE FUNCTION rifiuta() RETURNS trigger AS $$ BEGIN "
                                       "RAISE EXCEPTION 'Inserimento rifiutato'; END $$ "
                                       "LANGUAGE plpgsql");
                host.database.exec(
                    "CREATE TRIGGER rifiuta BEFORE INSERT ON KX09_INDICE " +
                    QString(sqlite ? "BEGIN SELECT RAISE(ABORT, 'Inserimento rifiutato'); END"
                                   : "FOR EACH ROW EXECUTE FUNCTION rifiuta()"));
            } else if (step == "strayCode") { // a code left outside add mode, the host failing
                host.set("txtCodice", QStringLiteral("ALTRO"));
                Probe::setCodiceIndice(*host.editor, QStringLiteral("ALTRO"));
                host.service.hostAppFails = true;
            } else if (step == "CanClose") {
                try {
                    log << (host.editor->CanClose(newIndex) ? "closed " : "kept ") + newIndex;
                } catch (const RuntimeError& failure) {
                    log << "raised " + failure.description();
                }
            } else if (step == "stored") {
                log << "stored " + QString(host.stored("NUOVO").isEmpty() ? "" : "NUOVO, ") +
                           host.stored("LIQIMM")["KX09_DESCRIZIONE"].toString();
            } else if (step != "Yes" && step != "No") {
                host.perform(step);
            }
        }
        QTEST(seen(host, log), "seen");
        QCOMPARE(answerer.seen.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i) { // a question's default is No
            const SeenBox& box = answerer.seen.at(i);
            const QString shown = box.shown + (box.hourglass ? " (busy)" : "");
            QVERIFY2(matches(boxes.at(i), shown), qPrintable(shown));
            QVERIFY(box.icon == QMessageBox::Question
                        ? box.buttons == (QMessageBox::Yes | QMessageBox::No) &&
                              box.defaultButton == QMessageBox::No
                        : box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok);
        }
    }
};

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
