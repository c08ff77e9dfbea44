// Toolbar commands and hotkeys, and how a failure inside a Qt slot reaches the user.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "form/Tools.h"
#include "workflow/EditSession.h"
#include "workflow/MessageBoxes.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

#include <array>

namespace K7X_DoruVevuzu {

namespace {

// The key press whose hotkey has run. A field offers the keys it does not use to its
// ancestors, the component among them, with the very same event: it must not run twice. The
// mark lasts while the press is delivered: the next event of any other kind that reaches the
// component's filters (its release, a focus change) ends it, unless the hotkey's own work is
// still running (a message box it opened), so a later press at the same address is new.
struct {
    const QEvent* event = nullptr;
    QPointer<QWidget> receiver;
    bool running = false;
    const QEvent* substitute = nullptr; // the key the host asked for instead, being delivered
} gHandledPress;

bool alreadyHandled(QObject* watched, const QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    return event == gHandledPress.event && widget && gHandledPress.receiver &&
           widget != gHandledPress.receiver && widget->isAncestorOf(gHandledPress.receiver);
}

QString hotkeyTitle() {
    return QStringLiteral("Rilevazione Hotkey");
}

} // namespace

void ctlIndiciPrivate::toolClicked(QAction* action) {
    if (!m_waiting) // a host's click while a box is open: the box comes first
        runHandler(captionText(), [&] { runToolAction(action); });
}

void ctlIndiciPrivate::runHandler(const QString& title, const std::function<void()>& action) {
    try {
        try {
            action();
        } catch (const std::exception& failure) {
            showFailure(failureOf(failure), title);
        }
    } catch (const ComponentGone&) {
        // deleted by the host's events while waiting: nothing of it is touched
    }
}

void ctlIndiciPrivate::runToolAction(QAction* action) {
    using enum workflow::Tool;
    const std::optional<workflow::Tool> tool = toolOf(m_form->tools, action);
    if (tool == Ok) {
        const QPointer<ctlIndici> self(&m_front);
        QString newIndex = m_session->code();
        if (!closeIndex(newIndex) || !self) // a Refresh handler may have deleted us
            return;
        m_session->viewTools();
        applyTools(m_form->tools, m_session->tools());
    } else if (tool == Edit) {
        m_session->editTools();
        applyTools(m_form->tools, m_session->tools());
        lockFields(true);
    } else if (tool == Cancel) {
        // Not through Adding: the code box keeps its switches and the typed texts stay on
        // screen; only the code goes back to the one the host gave.
        m_session->leaveAdding();
        m_session->viewTools();
        applyTools(m_form->tools, m_session->tools());
        lockFields(false);
    }
}

void ctlIndiciPrivate::runHotkey(qint16& KeyCode, qint16& Shift) {
    QString identifier;
    try {
        identifier = global()->Hotkeys()->DetectHotkey(KeyCode, Shift);
    } catch (const std::exception& failure) {
        showFailure(failureOf(failure), hotkeyTitle());
    }
    const std::optional<workflow::Tool> fired = toolOfHotkey(identifier);
    if (!fired)
        return;
    QAction* tool = m_form->tools[int(*fired)];
    if (!tool || !tool->isEnabled() || !tool->isVisible())
        return;
    try {
        runToolAction(tool);
    } catch (const std::exception& failure) {
        showFailure(failureOf(failure), hotkeyTitle());
    }
}

// Every key press reaches the hotkeys first. The field then gets the key as the host's
// hotkey service left it: unchanged, another key, or none when the host set its code to 0.
bool ctlIndiciPrivate::filterKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        if (!gHandledPress.running)
            gHandledPress.event = nullptr;
        return false;
    }
    if (alreadyHandled(watched, event) || event == gHandledPress.substitute || m_waiting)
        return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    const qint16 keyCode = K7XBO_Global::CHotkeys::keyCodeOf(press->keyCombination());
    const qint16 shift = K7XBO_Global::CHotkeys::shiftOf(press->modifiers());
    qint16 hostKeyCode = keyCode;
    qint16 hostShift = shift;
    const QPointer<ctlIndici> self(&m_front);
    gHandledPress = {event, qobject_cast<QWidget*>(watched), true};
    try {
        runHotkey(hostKeyCode, hostShift);
    } catch (const ComponentGone&) {
    }
    if (!self)
        return true; // deleted while handling: nothing of it may receive the key
    gHandledPress.running = false;
    if (hostKeyCode == keyCode && hostShift == shift)
        return false;
    if (hostKeyCode != 0) {
        // The changed key types its own character: a letter in lower case without Shift.
        const QKeyCombination key = K7XBO_Global::CHotkeys::qtKeyOf(hostKeyCode);
        const Qt::KeyboardModifiers modifiers = K7XBO_Global::CHotkeys::modifiersOf(hostShift);
        QString text = key.key() < Qt::Key_Escape ? QString(QChar(key.key())) : QString();
        if (!modifiers.testFlag(Qt::ShiftModifier))
            text = text.toLower();
        QKeyEvent changed(QEvent::KeyPress, key.key(), modifiers | key.keyboardModifiers(), text);
        gHandledPress.substitute = &changed;
        QCoreApplication::sendEvent(watched, &changed);
        gHandledPress.substitute = nullptr;
    }
    return true;
}

bool ctlIndiciPrivate::askUser(const QString& title, const QString& text) {
    bool goOn = false;
    waitFor([&] { goOn = messages::askToGoOn(&m_front, title, text); });
    return goOn;
}

void ctlIndiciPrivate::tellUser(const QString& title, const QString& text) {
    waitFor([&] { messages::showCritical(&m_front, title, text); });
}

void ctlIndiciPrivate::showFailure(const RuntimeError& failure, const QString& title) {
    tellUser(title, failure.description());
}

} // namespace K7X_DoruVevuzu
