// Toolbar commands and hotkeys, and how a failure inside a Qt slot reaches the user.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "workflow/MessageBoxes.h"
#include "workflow/ToolStates.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>

#include <QAction>
#include <QKeyEvent>
#include <QPointer>

#include <array>

namespace K7X_DoruVevuzu {

namespace {

// The host's hotkey identifiers (compared exactly, case-sensitive) and the tools they fire.
struct Hotkey {
    const char* identifier;
    const char* toolKey;
};
constexpr std::array<Hotkey, 3> kHotkeys{{
    {"HKSTDEDIT", "tbEdit"},
    {"HKSTDSAVE", "tbOK"},
    {"HKSTDUNDO", "tbCancel"},
}};

QString toolOfHotkey(const QString& identifier) {
    for (const auto& [id, toolKey] : kHotkeys) {
        if (identifier == QLatin1String(id))
            return QLatin1String(toolKey);
    }
    return {};
}

// The key press whose hotkey has already run. A field offers the keys it does not use to its
// ancestors, the component among them, with the very same event: it must not run twice. A key
// release ends the press.
struct {
    const QEvent* event = nullptr;
    QPointer<QWidget> receiver;
} gHandledPress;

bool alreadyHandled(QObject* watched, const QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    return event == gHandledPress.event && widget && gHandledPress.receiver &&
           widget != gHandledPress.receiver && widget->isAncestorOf(gHandledPress.receiver);
}

const QString kHotkeyTitle = QStringLiteral("Rilevazione Hotkey");

} // namespace

void ctlIndici::DS1_ToolClick(QAction* Tool) {
    try {
        runToolAction(Tool);
    } catch (const std::exception& failure) {
        showFailure(failureOf(failure), captionText());
    }
}

void ctlIndici::runToolAction(QAction* Tool) {
    const QString key = Tool->objectName().toLower();
    if (key == QLatin1String("tbok")) {
        if (!CanClose(mCodiceIndice))
            return;
        for (const auto& [toolKey, enabled] : tools::kViewing)
            switchTool(QLatin1String(toolKey), enabled);
    } else if (key == QLatin1String("tbedit")) {
        for (const auto& [toolKey, enabled] : tools::kEditing)
            switchTool(QLatin1String(toolKey), enabled);
        LockFields(true);
    } else if (key == QLatin1String("tbcancel")) {
        // Straight to the flag, not through Adding: the code box keeps its switches and the
        // typed texts stay on screen; only the code goes back to the one the host gave.
        if (mAdding)
            mCodiceIndice = mOldCodiceIndice;
        mAdding = false;
        for (const auto& [toolKey, enabled] : tools::kViewing)
            switchTool(QLatin1String(toolKey), enabled);
        LockFields(false);
    }
}

void ctlIndici::UserControl_KeyDown(qint16& KeyCode, qint16& Shift) {
    QString identifier;
    try {
        identifier = global()->Hotkeys()->DetectHotkey(KeyCode, Shift);
    } catch (const std::exception& failure) {
        messages::showCritical(this, kHotkeyTitle, failureOf(failure).description());
    }
    const QString toolKey = toolOfHotkey(identifier);
    if (toolKey.isEmpty())
        return;
    QAction* tool = findTool(toolKey);
    if (!tool || !tool->isEnabled() || !tool->isVisible())
        return;
    try {
        runToolAction(tool);
    } catch (const std::exception& failure) {
        messages::showCritical(this, kHotkeyTitle, failureOf(failure).description());
    }
}

bool ctlIndici::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease)
        gHandledPress.event = nullptr;
    if (event->type() == QEvent::KeyPress && !alreadyHandled(watched, event)) {
        const auto* press = static_cast<QKeyEvent*>(event);
        qint16 keyCode = K7XBO_Global::CHotkeys::keyCodeOf(press->key());
        qint16 shift = K7XBO_Global::CHotkeys::shiftOf(press->modifiers());
        gHandledPress = {event, qobject_cast<QWidget*>(watched)};
        UserControl_KeyDown(keyCode, shift);
    }
    return QWidget::eventFilter(watched, event);
}

void ctlIndici::showFailure(const RuntimeError& failure, const QString& title) {
    messages::showCritical(this, title, failure.description());
}

} // namespace K7X_DoruVevuzu
