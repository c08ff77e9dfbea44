// The editing workflow as a user and a host drive it: edit states and commands, change handlers,
// tools and hotkeys, and the closing protocol with its questions, saves, failures and Refresh.
#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QRegularExpression>

namespace {

// What the user and the host see after the steps: "<adding><modified><code open><content open>
// <tools OK, Edit, Cancel>[ busy]|description|caption|current code", then the row's log, then
// the boxes shown ("ask" a question, Yes and No with No the default; "error" a critical box with
// OK; " (busy)" when the pointer was the hourglass). LIQIMM's stored description reads "$".
QString seen(const TestHost& host, QStringList log, const QList<SeenBox>& boxes) {
    ctlIndici& editor = *host.editor;
    QString flags;
    for (bool on : {editor.Adding(), Probe::modified(editor), host.open("txtCodice"),
                    host.open("txtDescrizione")})
        flags += on ? u'1' : u'0';
    flags += u' ' + host.tools();
    if (editor.testAttribute(Qt::WA_SetCursor))
        flags += editor.cursor().shape() == Qt::WaitCursor ? " busy" : " pointer";
    for (const SeenBox& box : boxes) {
        const bool ask = box.icon == QMessageBox::Question &&
                         box.defaultButton == QMessageBox::No &&
                         box.buttons == (QMessageBox::Yes | QMessageBox::No);
        const bool error = box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok;
        const QString kind = ask ? "ask " : error ? "error " : "other ";
        log << kind + box.shown + (box.hourglass ? " (busy)" : "");
    }
    const QStringList shown{flags, host.text("txtDescrizione"), host.text("lblCaption"),
                            Probe::codiceIndice(editor)};
    return (shown + log).join(u'|').replace("Liquidità immediata (acid test)", "$");
}

} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    // From LIQIMM loaded; besides TestHost's steps, ID>F3 assigns a hotkey, CanClose is the host's
    // call (logged with NewIndex and the stored rows); boxes answered Yes, or No after a first
    // "No". Expected texts may hold "*" for any text.
    void steps_data() {
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::addColumn<QString>("expected");
        const QString lq = "|$|LIQIMM - $|LIQIMM", lq1 = "|$!|LIQIMM - $!|LIQIMM";
        const QString fresh = "||Nuovo indice:  - |", ab = "||Nuovo indice: AB - |";
        const QString ok = "|closed invariato|stored $", close = ";CanClose";
        const QString addAB = "ClickAddIndex;txtCodice=AB;", edited = "tbEdit;txtDescrizione=!;";
        const QString neu = "ClickAddIndex;txtCodice=NUOVO;", failing = neu + "databaseFails;";
        const QString fill = neu + "txtDescrizione=Nuovo;txtFormulaAllora=1";
        const QString nuovo = "|Nuovo|Nuovo indice: NUOVO - Nuovo|",
                      noCode = "ClickAddIndex;txtDescrizione=Nuovo;";
        const QString ask = "|ask Nuovo indice:  - Nuovo|Attenzione!\r\nInserire il codice.\r\n\r\n"
                            "Proseguendo perderai le modifiche\r\neffettuate. Vuoi continuare?";
        const QString stray = edited + "strayCode;hostFails;", altro = "|$!|ALTRO - $!|ALTRO";
        const QString docs =
            "|ask Finestra host|Attenzione!\r\n*\r\nVuoi ugualmente effettuare le modifiche?";
        const QString unset =
            "|error Rilevazione Hotkey|Il servizio dell'host (CGlobal) non è impostato.";
        const QString gone = "|Il motore delle formule non esiste più (Destroy).";
        const QString busy = "1111 101 busy||Nuovo indice: NUOVO - |NUOVO|";
        for (const QString& engine : TestDatabase::engines()) {
            const auto add = [&](const char* name, const QString& steps, const QString& expected) {
                QTest::addRow("%s/%s", qPrintable(engine), name) << steps << expected;
            };
            add("loaded", "", "0000 010" + lq);
            add("edit tool", "tbEdit", "0001 101" + lq);
            add("edit hotkey", "<F2>", "0001 101" + lq);
            add("edit hotkey moved to F3", "HKSTDEDIT>F3;<F3>", "0001 101" + lq);
            add("save hotkey while viewing", "<Ctrl+S>", "0000 010" + lq);
            add("identifiers are case-sensitive", "hkstdedit>F3;<F3>", "0000 010" + lq);
            add("unknown identifier", "HKSTDPRINT>F3;<F3>", "0000 010" + lq);
            add("no hotkey", "<F3>", "0000 010" + lq);
            add("hidden tool", "HKSTDEDIT>F3;hideEdit;<F3>", "0000 000" + lq);
            add("typing while editing", edited + "ClickOk", "0101 101" + lq1);
            add("undo hotkey keeps the typing, locks", edited + "<Esc>", "0100 010" + lq1);
            add("undo re-reads", edited + "ClickUndo", "0000 011" + lq);
            add("add index", "ClickAddIndex", "1011 101" + fresh);
            add("add while editing drops changes", edited + "ClickAddIndex", "1011 101" + fresh);
            add("Adding twice keeps entries", "Adding+;txtDescrizione=X;Adding+",
                "1111 101|X|Nuovo indice:  - X|");
            add("add again empties", "ClickAddIndex;txtDescrizione=X;ClickAddIndex",
                "1111 101" + fresh);
            add("code followed", "ClickAddIndex;txtCodice= ab ",
                "1111 101||Nuovo indice: ab - |ab");
            add("leave add mode", addAB + "Adding-", "0101 101" + ab + "LIQIMM");
            add("undo while adding", addAB + "ClickUndo", "1011 101" + ab + "AB");
            add("cancel from adding", addAB + "ClickCancel", "0000 011" + lq);
            add("cancel tool while adding", addAB + "tbCancel", "0100 010" + ab + "LIQIMM");
            add("no service: every key reported", "noService;Adding+;txtCodice=ab;<F2>",
                "1110 101||Nuovo indice: ab - |ab" + unset + unset + unset);
            add("destroyed twice", "Destroy;Destroy;handOvers", "0000 010" + lq + gone + gone);
            // The closing protocol.
            add("nothing modified", close, "0000 010" + lq + ok);
            add("new index untouched", "ClickAddIndex" + close, "0000 101" + fresh + "LIQIMM" + ok);
            add("new index saved (no documents step)", fill + ";hostFails" + close,
                "0001 101" + nuovo + "NUOVO|Refresh NUOVO busy|closed NUOVO|stored NUOVO, $");
            add("invalid new index, No", "No;" + noCode + close,
                "1111 101|Nuovo|Nuovo indice:  - Nuovo||kept invariato|stored $" + ask);
            add("invalid new index, Yes", noCode + close,
                "0101 101|Nuovo|Nuovo indice:  - Nuovo|LIQIMM" + ok + ask);
            add("edited, same code", edited + close, "0000 101" + lq1 + ok + "!");
            add("save failed", "rejectInserts;" + fill + close,
                "0101 101" + nuovo + "LIQIMM" + ok +
                    "|error Finestra host|Errore in fase di chiusura!\r\n*Inserimento "
                    "rifiutato*\r\nError n. *");
            add("document update failed, No", "No;" + stray + close,
                "0101 101" + altro + ok + docs);
            add("document update failed, Yes", stray + close, "0000 101" + altro + ok + "!" + docs);
            // A failure before the code-change step reaches the host; a tool or hotkey shows it
            // (the hourglass stays on).
            add("failure before the code step", failing + "CanClose",
                busy + "Database non raggiungibile.|stored $");
            add("... save tool", failing + "tbOK",
                busy + "error Nuovo indice: NUOVO - |Database non raggiungibile. (busy)");
            add("... save hotkey", failing + "<Ctrl+S>",
                busy + "error Rilevazione Hotkey|Database non raggiungibile. (busy)");
        }
    }
    void steps() {
        const QString engine = QString(QTest::currentDataTag()).section(u'/', 0, 0);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine);
        QStringList log;
        QString newIndex = QStringLiteral("invariato");
        connect(host.editor, &ctlIndici::Refresh, this, [&] {
            log << "Refresh " + newIndex +
                       (host.editor->cursor().shape() == Qt::WaitCursor ? " busy" : "");
        });
        BoxAnswerer answerer(host.editor,
                             {steps.startsWith("No;") ? QMessageBox::No : QMessageBox::Yes});
        for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
            if (step.endsWith(">F3")) {
                host.service.Hotkeys()->assign(step.chopped(3), QKeySequence(Qt::Key_F3));
            } else if (step == "hideEdit") {
                host.child<QAction>("tbEdit")->setVisible(false);
            } else if (step == "handOvers") { // after Destroy
                log << raisedBy([&] { host.editor->setCodiceModello("M"); }).description()
                    << raisedBy([&] { host.editor->setCGlobal(&host.service); }).description();
            } else if (step == "noService") {
                host.editor->setCGlobal(nullptr);
            } else if (step.endsWith("Fails")) {
                (step == "hostFails" ? host.service.hostAppFails : host.service.databaseFails) =
                    true;
            } else if (step == "rejectInserts") { // the database refuses the new row
                host.database.exec(
                    engine == "sqlite"
                        ? "CREATE TRIGGER rifiuta BEFORE INSERT ON KX09_INDICE BEGIN "
                          "SELECT RAISE(ABORT, 'Inserimento rifiutato'); END"
                        : "ALTER TABLE KX09_INDICE ADD CONSTRAINT \"Inserimento "
                          "rifiutato\" CHECK (KX09_CODICEINDICE <> 'NUOVO')");
            } else if (step == "strayCode") { // a code left outside add mode
                host.set("txtCodice", QStringLiteral("ALTRO"));
                Probe::setCodiceIndice(*host.editor, QStringLiteral("ALTRO"));
            } else if (step == "CanClose") { // the host's call, then a look at the stored rows
                bool closed = false;
                const QString raised =
                    raisedBy([&] { closed = host.editor->CanClose(newIndex); }).description();
                log << (raised.isEmpty() ? (closed ? "closed " : "kept ") + newIndex : raised)
                    << "stored " + QString(host.stored("NUOVO").isEmpty() ? "" : "NUOVO, ") +
                           host.stored("LIQIMM")["KX09_DESCRIZIONE"].toString();
            } else if (step != "No") {
                host.perform(step);
            }
        }
        const QString shown = seen(host, log, answerer.seen);
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(expected));
        QVERIFY2(pattern.match(shown).hasMatch(), qPrintable("\n" + shown + "\n" + expected));
    }
};

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
