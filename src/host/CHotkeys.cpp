#include <K7XBO_Global/CHotkeys.h>

#include <QList>

namespace K7XBO_Global {

namespace {

// Keys whose platform code is not their ASCII letter or digit.
struct KeyPair {
    QKeyCombination qtKey;
    qint16 code;
};
constexpr Qt::KeyboardModifier kKeypad = Qt::KeypadModifier;
const KeyPair kSpecialKeys[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Return, 13},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Print, 44},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    {kKeypad | Qt::Key_Enter, 13},
    {kKeypad | Qt::Key_Asterisk, 106},
    {kKeypad | Qt::Key_Plus, 107},
    {kKeypad | Qt::Key_Minus, 109},
    {kKeypad | Qt::Key_Period, 110},
    {kKeypad | Qt::Key_Slash, 111},
};
constexpr qint16 kF1 = 112;
constexpr qint16 kNumpad0 = 96;
constexpr qint16 kFirstOwnCode = 0x1000;

bool isLetterOrDigit(int key) {
    return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

// A combination as a key sequence editor records it, which is how hotkeys are assigned: no
// keypad flag, and no Shift on a symbol whose character already says it (Shift+1 is "!").
QKeyCombination recorded(QKeyCombination key) {
    Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    const int qtKey = key.key();
    if (qtKey < Qt::Key_Escape && !isLetterOrDigit(qtKey) && qtKey != Qt::Key_Space)
        modifiers &= ~Qt::ShiftModifier;
    return QKeyCombination(modifiers, key.key());
}

// The keys without a platform code, in the order first seen: code kFirstOwnCode + position.
QList<QKeyCombination>& ownCodes() {
    static QList<QKeyCombination> keys;
    return keys;
}

} // namespace

CHotkeys::CHotkeys(QObject* parent) : QObject(parent) {
    assign(QStringLiteral("HKSTDEDIT"), QKeySequence(Qt::Key_F2));
    assign(QStringLiteral("HKSTDSAVE"), QKeySequence(Qt::CTRL | Qt::Key_S));
    assign(QStringLiteral("HKSTDUNDO"), QKeySequence(Qt::Key_Escape));
}

CHotkeys::~CHotkeys() = default;

QString CHotkeys::DetectHotkey(qint16& KeyCode, qint16& Shift) {
    const QKeyCombination key = qtKeyOf(KeyCode);
    if (key.key() == Qt::Key_unknown)
        return {};
    const QKeyCombination pressed =
        recorded(QKeyCombination(key.keyboardModifiers() | modifiersOf(Shift), key.key()));
    for (const auto& [id, keys] : m_table) {
        if (keys.count() == 1 && recorded(keys[0]) == pressed)
            return id;
    }
    return {};
}

void CHotkeys::assign(const QString& id, const QKeySequence& keys) {
    for (auto it = m_table.begin(); it != m_table.end(); ++it) {
        if (it->first == id) {
            if (keys.isEmpty())
                m_table.erase(it);
            else
                it->second = keys;
            return;
        }
    }
    if (!keys.isEmpty())
        m_table.append({id, keys});
}

QKeySequence CHotkeys::keysOf(const QString& id) const {
    for (const auto& [name, keys] : m_table) {
        if (name == id)
            return keys;
    }
    return {};
}

qint16 CHotkeys::keyCodeOf(QKeyCombination key) {
    const bool keypad = key.keyboardModifiers().testFlag(Qt::KeypadModifier);
    const QKeyCombination plain = keypad ? kKeypad | key.key() : QKeyCombination(key.key());
    const int qtKey = key.key();
    if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qint16(kNumpad0 + (qtKey - Qt::Key_0));
    if (isLetterOrDigit(qtKey))
        return qint16(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return qint16(kF1 + (qtKey - Qt::Key_F1));
    for (const auto& pair : kSpecialKeys) {
        if (pair.qtKey == plain)
            return pair.code;
    }
    if (qtKey == 0 || qtKey == Qt::Key_unknown)
        return 0;
    QList<QKeyCombination>& own = ownCodes();
    qsizetype at = own.indexOf(plain);
    if (at < 0 && own.size() < 0x7FFF - kFirstOwnCode) {
        own.append(plain);
        at = own.size() - 1;
    }
    return at < 0 ? 0 : qint16(kFirstOwnCode + at);
}

QKeyCombination CHotkeys::qtKeyOf(qint16 keyCode) {
    if (keyCode >= kNumpad0 && keyCode < kNumpad0 + 10)
        return kKeypad | Qt::Key(Qt::Key_0 + (keyCode - kNumpad0));
    if (isLetterOrDigit(keyCode))
        return Qt::Key(keyCode);
    if (keyCode >= kF1 && keyCode < kF1 + 24)
        return Qt::Key(Qt::Key_F1 + (keyCode - kF1));
    for (const auto& pair : kSpecialKeys) {
        if (pair.code == keyCode)
            return pair.qtKey;
    }
    const QList<QKeyCombination>& own = ownCodes();
    if (keyCode >= kFirstOwnCode && keyCode - kFirstOwnCode < own.size())
        return own[keyCode - kFirstOwnCode];
    return Qt::Key_unknown;
}

Qt::KeyboardModifiers CHotkeys::modifiersOf(qint16 shift) {
    Qt::KeyboardModifiers modifiers;
    if (shift & ShiftMask)
        modifiers |= Qt::ShiftModifier;
    if (shift & CtrlMask)
        modifiers |= Qt::ControlModifier;
    if (shift & AltMask)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

qint16 CHotkeys::shiftOf(Qt::KeyboardModifiers modifiers) {
    qint16 shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= AltMask;
    return shift;
}

} // namespace K7XBO_Global
