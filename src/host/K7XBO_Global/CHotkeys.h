// CHotkeys: the host's hotkey table, turning a key-down into a hotkey identifier.
//
// Keys travel as the automation platform's 16-bit key code and shift state (1 Shift,
// 2 Ctrl, 4 Alt); keyCodeOf/shiftOf translate a Qt key event into them. Defaults: F2 is
// "HKSTDEDIT", Ctrl+S "HKSTDSAVE", Escape "HKSTDUNDO". Owned by CGlobal. Never throws.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPair>

class QKeyEvent;

namespace K7XBO_Global {

class CHotkeys : public QObject {
    Q_OBJECT
public:
    enum ShiftMask : qint16 { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

    explicit CHotkeys(QObject* parent = nullptr);
    ~CHotkeys() override;

    // Gives the identifier assigned to the key, or "" when the keystroke is no hotkey.
    virtual QString DetectHotkey(qint16& KeyCode, qint16& Shift);
    // Assigns keys to an identifier, replacing its earlier keys; an empty sequence removes it.
    void assign(const QString& id, const QKeySequence& keys);
    QKeySequence keysOf(const QString& id) const;

    // Translation between Qt keys and the platform's key codes (0 when there is none).
    static qint16 keyCodeOf(int qtKey);
    static int qtKeyOf(qint16 keyCode);
    static qint16 shiftOf(Qt::KeyboardModifiers modifiers);

private:
    QList<QPair<QString, QKeySequence>> m_table;
};

} // namespace K7XBO_Global
