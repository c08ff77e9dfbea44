// The editing workflow as a user and a host drive it: edit states, tools, hotkeys, closing.
#include "support/Host.h"

#include <K7XBO_Global/CHotkeys.h>

#include <QRegularExpression>

#include <optional>

namespace Look {
Q_NAMESPACE
// What the component shows besides its texts: its states and the fields open, the tools enabled
// and the pointer it set.
enum Flag {
    Adding = 1 << 0,
    Modified = 1 << 1,
    CodeOpen = 1 << 2,
    ContentOpen = 1 << 3,
    OkOn = 1 << 4,
    EditOn = 1 << 5,
    CancelOn = 1 << 6,
    Busy = 1 << 7,
    Pointer = 1 << 8
};
Q_ENUM_NS(Flag)
} // namespace Look

// A box seen against the one expected, whose text may hold "*" for any text.
static bool operator==(const SeenBox& seen, const SeenBox& expected) {
    const auto pattern = QRegularExpression::wildcardToRegularExpression(expected.text);
    return seen.kind == expected.kind && seen.title == expected.title &&
           seen.hourglass == expected.hourglass &&
           QRegularExpression(pattern).match(seen.text).hasMatch();
}

namespace {

using namespace Look;
constexpr int Editing = OkOn | CancelOn;
constexpr int Everything = Adding | Modified | CodeOpen | ContentOpen | Editing;
const QString kLiquidity = QStringLiteral("Liquidità immediata (acid test)"); // LIQIMM's text
const QString kDown = QStringLiteral("Database non raggiungibile.");
const QString kWaiting =
    QStringLiteral("Il componente attende la risposta dell'utente a una finestra "
                   "di dialogo: riprovare quando è chiusa.");
const QString kLose =
    QStringLiteral("Proseguendo perderai le modifiche\r\neffettuate. Vuoi continuare?");

// The description box, the caption bar and the current code.
using Texts = QStringList;
// LIQIMM as read, `typed` after its description, its caption naming `shown`, `code` current.
Texts viewing(const QString& typed = {}, const QString& shown = "LIQIMM",
              const QString& code = {}) {
    return {kLiquidity + typed, shown + " - " + kLiquidity + typed, code.isEmpty() ? shown : code};
}
// A new index with `codeBox` and `description` typed, `code` current.
Texts fresh(const QString& codeBox, const QString& description, const QString& code) {
    return {description, "Nuovo indice: " + codeBox + " - " + description, code};
}

using Box = SeenBox;
using Boxes = QList<Box>;
Box ask(const QString& title, const QString& text) {
    return {Box::Question, title, "Attenzione!\r\n" + text, false};
}
Box error(const QString& title, const QString& text, bool busy = false) {
    return {Box::Error, title, text, busy};
}
const Box kClosingFailed = error("Finestra host", "Errore in fase di chiusura!\r\n*\r\nError n. *");
const Box kNoService =
    error("Rilevazione Hotkey", "Il servizio dell'host (CGlobal) non è impostato.");

// What the host met: its calls' answers and failures, the Refresh events, the stored rows.
struct HostSide {
    QMessageBox::StandardButton answer = QMessageBox::Yes; // the user's to the first question
    std::optional<bool> closed;                            // CanClose's answer, when it gave one
    QString newIndex = "invariato";                        // CanClose's NewIndex
    QStringList refreshes;                                 // NewIndex at each Refresh
    QStringList raised;                                    // what the host's calls raised
    QString nuovo, liqimm = kLiquidity; // the stored descriptions of NUOVO (empty: no row), LIQIMM
    bool operator==(const HostSide&) const = default;
};
char* toString(const HostSide& h) {
    return QTest::toString(
        QString("closed %1, NewIndex %2, Refresh with [%3], raised [%4], NUOVO %5, LIQIMM %6")
            .arg(h.closed ? QString::number(*h.closed) : "-", h.newIndex, h.refreshes.join(", "),
                 h.raised.join(", "), h.nuovo, h.liqimm));
}

// A row's run: the component in its host from LIQIMM loaded, what the host met.
struct Run {
    TestHost& host;
    HostSide met;
    void attempt(const std::function<void()>& call) {
        if (const auto raised = raisedBy(call); raised.number())
            met.raised << raised.description();
    }
};
using Step = std::function<void(Run&)>;
using Steps = QList<Step>;

// The user's and the host's steps.
struct Do {
    static Step type(const char* box, QString text) {
        return Step([=](Run& r) { r.host.type(box, text); });
    }
    static Step set(const char* box, QString text) {
        return Step([=](Run& r) { r.host.set(box, text); });
    }
    static Step key(const QString& keys) {
        return Step([=](Run& r) { r.host.key(keys); });
    }
    static Step tool(const char* name) {
        return Step([=](Run& r) { r.host.tool(name); });
    }
    static Step call(void (ctlIndici::*member)()) {
        return Step([=](Run& r) { (r.host.editor->*member)(); });
    }
    static Step attempt(void (ctlIndici::*member)()) { // logs what it raises
        return Step([=](Run& r) { r.attempt([&] { (r.host.editor->*member)(); }); });
    }
    static Step adding(bool on) {
        return Step([=](Run& r) { r.host.editor->setAdding(on); });
    }
    static Step add(const QString& code) { // a new index, `code` typed
        return Step([=](Run& r) {
            r.host.editor->ClickAddIndex();
            r.host.type("txtCodice", code);
        });
    }
    static Step assign(const char* id, QString keys) { // the host's hotkey for a tool
        return Step([=](Run& r) { r.host.service.Hotkeys()->assign(id, QKeySequence(keys)); });
    }
    static Step rewrite(QString from, QString to) { // the host's hotkey service turns keys
        return Step([=](Run& r) { r.host.service.rewrites[code(from)] = code(to); });
    }
    static qint16 code(const QString& keys) {
        return keys.isEmpty() ? 0 : K7XBO_Global::CHotkeys::keyCodeOf(QKeySequence(keys)[0]);
    }
    static Step fails(bool database, bool on = true) { // the host's service fails
        return Step([=](Run& r) {
            (database ? r.host.service.databaseFails : r.host.service.hostAppFails) = on;
        });
    }
    static void edit(Run& r) {
        r.host.tool("tbEdit");
        r.host.type("txtDescrizione", "!");
    }
    static void fill(Run& r) {
        add("NUOVO")(r);
        r.host.type("txtDescrizione", "Nuovo");
        r.host.type("txtFormulaAllora", "1");
    }
    static void failing(Run& r) { // a new index when the database fails
        add("NUOVO")(r);
        r.host.service.databaseFails = true;
    }
    static void stray(Run& r) { Probe::setCodiceIndice(*r.host.editor, "ALTRO"); }
    static void close(Run& r) {
        r.attempt([&] { r.met.closed = r.host.editor->CanClose(r.met.newIndex); });
    }
};

int shown(const TestHost& host) {
    const ctlIndici& e = *host.editor;
    const bool cursor = e.testAttribute(Qt::WA_SetCursor);
    const bool wait = e.cursor().shape() == Qt::WaitCursor;
    const auto on = [&](const char* tool) {
        return host.child<QAction>(tool)->isEnabled();
    };
    return (e.Adding() ? Adding : 0) | (Probe::modified(e) ? Modified : 0) |
           (host.open("txtCodice") ? CodeOpen : 0) |
           (host.open("txtDescrizione") ? ContentOpen : 0) | (on("tbOK") ? OkOn : 0) |
           (on("tbEdit") ? EditOn : 0) | (on("tbCancel") ? CancelOn : 0) |
           (cursor && wait ? Busy : 0) | (cursor && !wait ? Pointer : 0);
}
QByteArray names(int flags) {
    return QMetaEnum::fromType<Flag>().valueToKeys(flags);
}

} // namespace

Q_DECLARE_METATYPE(Boxes)
template <> char* QTest::toString(const Boxes& boxes) {
    const char* kinds[] = {"question", "error", "other box"};
    QStringList seen;
    for (const Box& b : boxes)
        seen << QString("%1 \"%2\": \"%3\"%4")
                    .arg(kinds[int(b.kind)], b.title, b.text, b.hourglass ? " (busy)" : "");
    return QTest::toString(seen.join(", "));
}
Q_DECLARE_METATYPE(HostSide)
Q_DECLARE_METATYPE(Steps)

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    // From LIQIMM loaded, what a user's and a host's steps leave shown, the boxes seen (answered
    // Yes, or as the row says, then OK) and what the host met.
    void steps_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<int>("flags");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<HostSide>("host");
        using D = Do;
        const Step add = D::add({}), edit = D::edit, fill = D::fill, close = D::close;
        const Step failing = D::failing, stray = D::stray;
        const Step typed = Do::type("txtDescrizione", "Nuovo");
        const int open = ContentOpen | Editing, adding = Adding | CodeOpen | ContentOpen | Editing;
        const Texts none = fresh("", "", ""), nuovo = fresh("NUOVO", "Nuovo", "NUOVO");
        const Box invalid = ask("Nuovo indice:  - Nuovo", "Inserire il codice.\r\n\r\n" + kLose);
        const Box documents = ask("Finestra host", "*\r\nVuoi ugualmente effettuare le modifiche?");
        const HostSide closed{.closed = true}, changed{.closed = true, .liqimm = kLiquidity + "!"};
        const HostSide saved{
            .closed = true, .newIndex = "NUOVO", .refreshes = {"NUOVO"}, .nuovo = "Nuovo"};
        const QString gone = "Il motore delle formule non esiste più (Destroy).";
        const QString tooLong = "Descrizione di cinquantuno caratteri: uno di troppo";
        const Steps renamed{stray, edit, D::set("txtCodice", "ALTRO"), D::fails(false), close};
        for (const QString& engine : TestDatabase::engines()) {
            const auto row = [&](const char* name, const Steps& steps, int flags,
                                 const Texts& texts, const Boxes& boxes = {},
                                 const HostSide& host = {}) {
                QTest::addRow("%s/%s", qPrintable(engine), name)
                    << steps << flags << texts << boxes << host;
            };
            // Tools and hotkeys.
            row("edit hotkey", {D::key("F2")}, open, viewing());
            row("another identifier's hotkey", {D::assign("HKSTDPRINT", "F3"), D::key("F3")},
                EditOn, viewing());
            row("hidden tool",
                {D::assign("HKSTDEDIT", "F3"),
                 [](Run& r) { r.host.child<QAction>("tbEdit")->setVisible(false); }, D::key("F3")},
                0, viewing());
            row("punctuation hotkey", {D::assign("HKSTDEDIT", "Ctrl+!"), D::key("Ctrl+Shift+!")},
                open, viewing());
            row("keypad hotkey", {D::assign("HKSTDEDIT", "*"), D::key("Num+*")}, open, viewing());
            row("keys the host rewrites",
                {D::tool("tbEdit"), D::rewrite("X", "Y"), D::rewrite("Z", {}),
                 D::type("txtDescrizione", "xz")},
                Modified | open, viewing("y"));
            row("hotkey again after its box", {failing, D::key("Ctrl+S"), D::key("Ctrl+S")},
                Everything | Busy, fresh("NUOVO", "", "NUOVO"),
                {error("Rilevazione Hotkey", kDown, true),
                 error("Rilevazione Hotkey", kDown, true)});
            row("no service",
                {[](Run& r) { r.host.editor->setCGlobal(nullptr); }, D::adding(true),
                 D::type("txtCodice", "ab"), D::key("F2")},
                Adding | Modified | CodeOpen | Editing, fresh("ab", "", "ab"),
                {kNoService, kNoService, kNoService});
            // Edit states.
            row("typing while editing", {edit, D::call(&ctlIndici::ClickOk)}, Modified | open,
                viewing("!"));
            row("undo hotkey keeps the typing, locks; the save hotkey is off then",
                {edit, D::key("Esc"), D::key("Ctrl+S")}, Modified | EditOn, viewing("!"));
            row("undo re-reads", {edit, D::call(&ctlIndici::ClickUndo)}, EditOn | CancelOn,
                viewing());
            row("add while editing drops changes", {edit, add}, adding, none);
            row("Adding twice keeps the entries",
                {D::adding(true), D::type("txtDescrizione", "X"), D::adding(true)}, Everything,
                fresh("", "X", ""));
            row("Adding false outside add mode keeps the code",
                {fill, close, D::adding(false), D::call(&ctlIndici::LoadIndice)}, EditOn | CancelOn,
                nuovo, {}, saved);
            row("add again empties", {add, D::type("txtDescrizione", "X"), add}, Everything, none);
            row("leave add mode", {D::add("AB"), D::adding(false)}, Modified | open,
                fresh("AB", "", "LIQIMM"));
            row("undo while adding", {D::add("AB"), D::call(&ctlIndici::ClickUndo)}, adding,
                fresh("AB", "", "AB"));
            row("cancel from adding", {D::add("AB"), D::call(&ctlIndici::ClickCancel)},
                EditOn | CancelOn, viewing());
            row("cancel tool while adding", {D::add("AB"), D::tool("tbCancel")}, Modified | EditOn,
                fresh("AB", "", "LIQIMM"));
            row("destroyed twice",
                {D::call(&ctlIndici::Destroy), D::attempt(&ctlIndici::Destroy),
                 [](Run& r) {
                     r.attempt([&] { r.host.editor->setCodiceModello("M"); });
                     r.attempt([&] { r.host.editor->setCGlobal(&r.host.service); });
                 },
                 D::attempt(&ctlIndici::UnloadIndice)},
                EditOn, viewing(), {},
                {.raised = {gone, gone, "Il record set dell'indice non esiste più (Destroy)."}});
            // Closing.
            row("nothing modified", {close}, EditOn, viewing(), {}, closed);
            row("new index untouched", {add, close}, Editing, fresh("", "", "LIQIMM"), {}, closed);
            row("new index saved, no documents step", {fill, D::fails(false), close}, open, nuovo,
                {}, saved);
            row("invalid new index, No", {add, typed, close}, Everything, fresh("", "Nuovo", ""),
                {invalid}, {.answer = QMessageBox::No, .closed = false});
            row("invalid new index, Yes", {add, typed, close}, Modified | open,
                fresh("", "Nuovo", "LIQIMM"), {invalid}, closed);
            row("edited, same code", {edit, close}, Editing, viewing("!"), {}, changed);
            row("... without the host's connection", {edit, D::fails(true), close}, Editing,
                viewing("!"), {}, changed);
            row("new index saved, then edited", {fill, close, D::tool("tbEdit"), typed, close},
                Editing, {"NuovoNuovo", "NUOVO - NuovoNuovo", "NUOVO"}, {},
                {.closed = true,
                 .newIndex = "NUOVO",
                 .refreshes = {"NUOVO"},
                 .nuovo = "NuovoNuovo"});
            row("load failed: nothing saved elsewhere",
                {[](Run& r) { r.host.editor->setCodiceIndice("ROE"); }, D::fails(true),
                 D::attempt(&ctlIndici::LoadIndice), D::fails(true, false), edit, close},
                Modified | open, viewing("!", "LIQIMM", "ROE"), {kClosingFailed},
                {.closed = true, .raised = {kDown}});
            row("the host's timer during a box",
                {add, typed,
                 [](Run& r) {
                     QTimer::singleShot(0, r.host.editor, [&r] {
                         D::attempt (&ctlIndici::LoadIndice)(r);
                         D::attempt (&ctlIndici::Destroy)(r);
                     });
                 },
                 close},
                Modified | open, fresh("", "Nuovo", "LIQIMM"), {invalid},
                {.closed = true, .raised = {kWaiting, kWaiting}});
            row("save failed", {fill, D::set("txtDescrizione", tooLong), close}, Modified | open,
                fresh("NUOVO", tooLong, "LIQIMM"), {kClosingFailed}, closed);
            row("document update failed, No", renamed, Modified | open, viewing("!", "ALTRO"),
                {documents}, {.answer = QMessageBox::No, .closed = true});
            row("document update failed, Yes", renamed, Editing, viewing("!", "ALTRO"), {documents},
                changed);
            row("failure before the code step", {failing, close}, Everything | Busy,
                fresh("NUOVO", "", "NUOVO"), {}, {.raised = {kDown}});
            row("... shown by the save tool", {failing, D::tool("tbOK")}, Everything | Busy,
                fresh("NUOVO", "", "NUOVO"), {error("Nuovo indice: NUOVO - ", kDown, true)});
        }
    }
    void steps() {
        const QString engine = QString(QTest::currentDataTag()).section(u'/', 0, 0);
        QFETCH(Steps, steps);
        QFETCH(HostSide, host);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost component(engine);
        Run run{component, {.answer = host.answer}};
        connect(component.editor, &ctlIndici::Refresh, this, [&] {
            QVERIFY(component.editor->cursor().shape() != Qt::WaitCursor);
            run.met.refreshes << run.met.newIndex;
        });
        BoxAnswerer answerer(component.editor, {host.answer});
        for (const Step& step : steps)
            step(run);
        run.met.nuovo = component.stored("NUOVO").value("KX09_DESCRIZIONE").toString();
        run.met.liqimm = component.stored("LIQIMM").value("KX09_DESCRIZIONE").toString();
        QFETCH(int, flags);
        QCOMPARE(names(shown(component)), names(flags));
        const QStringList texts{component.text("txtDescrizione"), component.text("lblCaption"),
                                Probe::codiceIndice(*component.editor)};
        QTEST(texts, "texts");
        QTEST(answerer.seen, "boxes");
        QCOMPARE(run.met, host);
    }

    // A host that deletes the component from a timer while one of its boxes waits for the user:
    // the box goes with it and CanClose answers False.
    void deletedWhileAsking() {
        TestHost host;
        host.editor->ClickAddIndex();
        host.type("txtDescrizione", "Nuovo");
        QTimer::singleShot(100, &host.window, [&] { delete std::exchange(host.editor, nullptr); });
        QString newIndex;
        QVERIFY(!host.editor->CanClose(newIndex));
        QVERIFY(!host.editor && !QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
