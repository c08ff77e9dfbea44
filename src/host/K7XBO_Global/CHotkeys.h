#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPair>

class QKeyEvent;

namespace K7XBO_Global {

/// The host's hotkey table, turning a key-down into a hotkey identifier.
///
/// Keys travel as the automation platform's 16-bit key code and shift state (1 Shift,
/// 2 Ctrl, 4 Alt). Every key Qt reports has a code: the platform's own for letters, digits,
/// function, keypad and editing keys, and for any other key (punctuation, media, a layout's
/// own keys) a code from 0x1000 up, given on first sight and kept for the life of the
/// process. A hotkey is one key combination; a sequence of several cannot be told from one
/// key-down and never fires (assign() keeps it, a settings dialog should refuse it).
/// Defaults: F2 is "HKSTDEDIT", Ctrl+S "HKSTDSAVE", Escape "HKSTDUNDO". Owned by CGlobal.
/// Never throws. GUI thread only.
class CHotkeys : public QObject {
    Q_OBJECT
public:
    /// The bits of the shift state.
    enum ShiftMask : qint16 {
        ShiftMask = 1, ///< Shift
        CtrlMask = 2,  ///< Ctrl
        AltMask = 4,   ///< Alt
    };

    /// The table with the three default hotkeys.
    explicit CHotkeys(QObject* parent = nullptr);
    ~CHotkeys() override;

    /// Gives the identifier assigned to the key, or "" when the keystroke is no hotkey. A
    /// host's override may change `KeyCode` and `Shift`: the focused field then gets that key
    /// instead, or none when `KeyCode` is 0.
    virtual QString DetectHotkey(qint16& KeyCode, qint16& Shift);
    /// Assigns keys to an identifier, replacing its earlier keys; an empty sequence removes it.
    void assign(const QString& id, const QKeySequence& keys);
    /// The keys assigned to an identifier, empty when none.
    QKeySequence keysOf(const QString& id) const;

    /// The key code of a Qt key (with the keypad flag; other modifiers ignored).
    static qint16 keyCodeOf(QKeyCombination key);
    /// The Qt key of a key code (with the keypad flag); Qt::Key_unknown for a code never given.
    static QKeyCombination qtKeyOf(qint16 keyCode);
    /// The shift state of Qt's modifiers.
    static qint16 shiftOf(Qt::KeyboardModifiers modifiers);
    /// Qt's modifiers of a shift state.
    static Qt::KeyboardModifiers modifiersOf(qint16 shift);

private:
    QList<QPair<QString, QKeySequence>> m_table;
};

} // namespace K7XBO_Global
