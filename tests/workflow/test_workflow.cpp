// The editing workflow as a user and a host drive it: edit states, tools, hotkeys, closing.
#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QRegularExpression>

namespace {

// What is seen: "<adding><modified><code open><content open> <tools OK Edit Cancel>[ busy]|
// description|caption|current code|log", the boxes ("ask": Yes/No, No the default; "error": a
// critical OK; " (busy)": under the hourglass). LIQIMM's stored description reads "$".
QString seen(const TestHost& host, QStringList log, const QList<SeenBox>& boxes) {
    ctlIndici& editor = *host.editor;
    QString flags;
    for (bool on : {editor.Adding(), Probe::modified(editor), host.open("txtCodice"),
                    host.open("txtDescrizione")})
        flags += on ? u'1' : u'0';
    flags += u' ' + host.tools();
    if (editor.testAttribute(Qt::WA_SetCursor))
        flags += editor.cursor().shape() == Qt::WaitCursor ? " busy" : " pointer";
    using enum QMessageBox::StandardButton;
    for (const SeenBox& box : boxes) {
        const bool ask = box.icon == QMessageBox::Question && box.defaultButton == No &&
                         box.buttons == (Yes | No);
        const bool error = box.icon == QMessageBox::Critical && box.buttons == Ok;
        const QString kind = ask ? "ask " : error ? "error " : "other ";
        log << kind + box.shown + (box.hourglass ? " (busy)" : "");
    }
    const QStringList shown{flags, host.text("txtDescrizione"), host.text("lblCaption"),
                            Probe::codiceIndice(editor)};
    return (shown + log).join(u'|').replace("Liquidità immediata (acid test)", "$");
}

// Texts the rows share, each used after the ones below it.
const char* const kParts = R"(
fail | {add}txtCodice=NUOVO;failDatabase;
busy | 1111 101 busy||Nuovo indice: NUOVO - |NUOVO|
fill | {add}txtCodice=NUOVO;{nuovo}txtFormulaAllora=1
stray | @ALTRO;{edit}txtCodice:=ALTRO;failHost;
long | txtDescrizione:=Descrizione di cinquantuno caratteri: uno di troppo;
nuovo | txtDescrizione=Nuovo;
edit | tbEdit;txtDescrizione=!;
ab | {add}txtCodice=AB;
add | ClickAddIndex;
AB | ||Nuovo indice: AB - |
NUOVO | |Nuovo|Nuovo indice: NUOVO - Nuovo|
typed | |Nuovo|Nuovo indice:  - Nuovo|
saved | |Refresh NUOVO|closed NUOVO|stored NUOVO, $
closing | |error Finestra host|Errore in fase di chiusura!\r\n*\r\nError n. *
new | ||Nuovo indice:  - |
lq | |$|LIQIMM - $|LIQIMM
lq! | |$!|LIQIMM - $!|LIQIMM
ok | |closed invariato|stored $
ask | |ask Nuovo indice:  - Nuovo|Attenzione!\r\nInserire il codice.\r\n\r\n{lose}
lose | Proseguendo perderai le modifiche\r\neffettuate. Vuoi continuare?
docs | |ask Finestra host|Attenzione!\r\n*\r\nVuoi ugualmente effettuare le modifiche?
u | |error Rilevazione Hotkey|Il servizio dell'host (CGlobal) non è impostato.
gone | |Il motore delle formule non esiste più (Destroy).
down | Database non raggiungibile.
)";

// The rows: name | steps | what is seen.
const char* const kSteps = R"(
loaded |  | 0000 010{lq}
edit tool | tbEdit | 0001 101{lq}
edit hotkey | <F2> | 0001 101{lq}
edit hotkey moved to F3 | HKSTDEDIT>F3;<F3> | 0001 101{lq}
save hotkey while viewing | <Ctrl+S> | 0000 010{lq}
identifiers are case-sensitive | hkstdedit>F3;<F3> | 0000 010{lq}
unknown identifier | HKSTDPRINT>F3;<F3> | 0000 010{lq}
hidden tool | HKSTDEDIT>F3;hideEdit;<F3> | 0000 000{lq}
punctuation hotkey | HKSTDEDIT>Ctrl+!;<Ctrl+Shift+!> | 0001 101{lq}
keypad hotkey | HKSTDEDIT>*;<Num+*> | 0001 101{lq}
keys the host rewrites | tbEdit;rewrite X Y;rewrite Z 0;txtDescrizione=xz | 0101 101|$y|LIQIMM - $y|LIQIMM
hotkey again after its box | {fail}<Ctrl+S>;<Ctrl+S> | {busy}error *|{down} (busy)|error *|{down} (busy)
typing while editing | {edit}ClickOk | 0101 101{lq!}
undo hotkey keeps the typing, locks | {edit}<Esc> | 0100 010{lq!}
undo re-reads | {edit}ClickUndo | 0000 011{lq}
add index | {add} | 1011 101{new}
add while editing drops changes | {edit}{add} | 1011 101{new}
Adding twice keeps entries | Adding+;txtDescrizione=X;Adding+ | 1111 101|X|Nuovo indice:  - X|
add again empties | {add}txtDescrizione=X;{add} | 1111 101{new}
code followed | {add}txtCodice= ab  | 1111 101||Nuovo indice: ab - |ab
leave add mode | {ab}Adding- | 0101 101{AB}LIQIMM
undo while adding | {ab}ClickUndo | 1011 101{AB}AB
cancel from adding | {ab}ClickCancel | 0000 011{lq}
cancel tool while adding | {ab}tbCancel | 0100 010{AB}LIQIMM
no service | noService;Adding+;txtCodice=ab;<F2> | 1110 101||Nuovo indice: ab - |ab{u}{u}{u}
destroyed twice | Destroy;Destroy;handOvers;!UnloadIndice | 0000 010{lq}{gone}{gone}|*(Destroy).
nothing modified | CanClose | 0000 010{lq}{ok}
new index untouched | {add}CanClose | 0000 101{new}LIQIMM{ok}
new index saved, no documents step | {fill};failHost;CanClose | 0001 101{NUOVO}NUOVO{saved}
invalid new index, No | No;{add}{nuovo}CanClose | 1111 101{typed}|kept invariato|stored ${ask}
invalid new index, Yes | {add}{nuovo}CanClose | 0101 101{typed}LIQIMM{ok}{ask}
edited, same code | {edit}CanClose | 0000 101{lq!}{ok}!
... without the host's connection | {edit}failDatabase;CanClose | 0000 101{lq!}{ok}!
new index saved, then edited | {fill};CanClose;tbEdit;{nuovo}CanClose;row NUOVO | 0000 101|NuovoNuovo|*{saved}|closed NUOVO|stored NUOVO, $|NUOVO: NuovoNuovo
Adding- outside add mode keeps the code | {fill};CanClose;Adding-;LoadIndice | 0000 011{NUOVO}NUOVO{saved}
load failed: nothing saved elsewhere | code ROE;failDatabase;!LoadIndice;recover;{edit}CanClose;row ROE | 0101 101|$!|LIQIMM - $!|ROE|{down}|closed invariato|stored $|ROE: Redditività*{closing}
the host's timer during a box | {add}{nuovo}timer LoadIndice;timer Destroy;CanClose | 0101 101{typed}LIQIMM|Il componente attende*{ok}{ask}
save failed | {fill};{long}CanClose | 0101 101|*|LIQIMM{ok}{closing}
document update failed, No | No;{stray}CanClose | 0101 101|$!|ALTRO - $!|ALTRO{ok}{docs}
document update failed, Yes | {stray}CanClose | 0000 101|$!|ALTRO - $!|ALTRO{ok}!{docs}
failure before the code step | {fail}CanClose | {busy}{down}|stored $
... shown by the save tool | {fail}tbOK | {busy}error Nuovo indice: NUOVO - |{down} (busy)
... shown by the save hotkey | {fail}<Ctrl+S> | {busy}error Rilevazione Hotkey|{down} (busy)
)";

} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    // From LIQIMM loaded; besides TestHost's steps, ID>KEYS assigns a hotkey, "rewrite K1 K2" has
    // the host's hotkey service turn K1 into K2 (0: none), CanClose is the host's call (logged with
    // NewIndex and the stored rows), "code X" the host's CodiceIndice, "row X" logs X's stored
    // description, "!step" logs what the step raises, "timer step" does so from a host timer while
    // the next box is up, "recover" ends the service's failures; boxes answered Yes, or No after a
    // first "No". Expected texts may hold "*" for any text; {name} stands for a text of kParts.
    void steps_data() {
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::addColumn<QString>("expected");
        for (const QString& engine : TestDatabase::engines())
            for (QStringList row : textRows(kSteps)) {
                for (const QStringList& part : textRows(kParts))
                    row.replaceInStrings('{' + part[0] + '}', part[1]);
                QTest::addRow("%s/%s", qPrintable(engine), qPrintable(row[0])) << row[1] << row[2];
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
        const auto logRaised = [&](const QString& step) {
            log << raisedBy([&] { host.perform(step); }).description();
        };
        for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
            const QString rest = step.section(u' ', 1);
            if (step.contains(u'>') && !step.startsWith(u'<')) {
                host.service.Hotkeys()->assign(step.section(u'>', 0, 0),
                                               QKeySequence(step.section(u'>', 1)));
            } else if (step.startsWith("rewrite ")) {
                const auto code = [](const QString& keys) {
                    return keys == "0" ? 0
                                       : K7XBO_Global::CHotkeys::keyCodeOf(QKeySequence(keys)[0]);
                };
                host.service.rewrites[code(rest.section(u' ', 0, 0))] = code(rest.section(u' ', 1));
            } else if (step.startsWith("code ")) {
                host.editor->setCodiceIndice(rest);
            } else if (step.startsWith("row ")) {
                log << rest + ": " + host.stored(rest)["KX09_DESCRIZIONE"].toString();
            } else if (step.startsWith(u'!')) {
                logRaised(step.mid(1));
            } else if (step.startsWith("timer ")) {
                QTimer::singleShot(0, host.editor, [=] { logRaised(rest); });
            } else if (step == "recover") {
                host.service.databaseFails = host.service.hostAppFails = false;
            } else if (step == "hideEdit") {
                host.child<QAction>("tbEdit")->setVisible(false);
            } else if (step == "handOvers") { // after Destroy
                log << raisedBy([&] { host.editor->setCodiceModello("M"); }).description()
                    << raisedBy([&] { host.editor->setCGlobal(&host.service); }).description();
            } else if (step == "noService") {
                host.editor->setCGlobal(nullptr);
            } else if (step.startsWith("fail")) {
                (step.endsWith("Host") ? host.service.hostAppFails : host.service.databaseFails) =
                    true;
            } else if (step.contains(":=")) { // a host's write
                host.set(step.section(":=", 0, 0), step.section(":=", 1));
            } else if (step.startsWith(u'@')) { // the current code only
                Probe::setCodiceIndice(*host.editor, step.mid(1));
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

    // A host that deletes the component from a timer while one of its boxes waits for the user:
    // the box goes with it and CanClose answers False.
    void deletedWhileAsking() {
        TestHost host;
        host.perform("ClickAddIndex");
        host.perform("txtDescrizione=Nuovo");
        QTimer::singleShot(100, &host.window, [&] { delete std::exchange(host.editor, nullptr); });
        QString newIndex;
        QVERIFY(!host.editor->CanClose(newIndex));
        QVERIFY(!host.editor && !QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
