#include <K7XBO_Global/CHotkeys.h>

#include <array>

namespace K7XBO_Global {

namespace {

// Keys whose platform code is not their ASCII letter or digit.
struct KeyPair {
    int qtKey;
    qint16 code;
};
constexpr std::array<KeyPair, 20> kSpecialKeys{{
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},      {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},
    {Qt::Key_Escape, 27},   {Qt::Key_Space, 32},   {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},      {Qt::Key_Home, 36},    {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},    {Qt::Key_Down, 40},    {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},
    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},    {Qt::Key_Pause, 19},
}};
constexpr qint16 kF1 = 112;

} // namespace

CHotkeys::CHotkeys(QObject* parent) : QObject(parent) {
    assign(QStringLiteral("HKSTDEDIT"), QKeySequence(Qt::Key_F2));
    assign(QStringLiteral("HKSTDSAVE"), QKeySequence(Qt::CTRL | Qt::Key_S));
    assign(QStringLiteral("HKSTDUNDO"), QKeySequence(Qt::Key_Escape));
}

CHotkeys::~CHotkeys() = default;

QString CHotkeys::DetectHotkey(qint16& KeyCode, qint16& Shift) {
    const int key = qtKeyOf(KeyCode);
    if (key == 0)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (Shift & ShiftMask)
        modifiers |= Qt::ShiftModifier;
    if (Shift & CtrlMask)
        modifiers |= Qt::ControlModifier;
    if (Shift & AltMask)
        modifiers |= Qt::AltModifier;
    const QKeyCombination pressed(modifiers, Qt::Key(key));
    for (const auto& [id, keys] : m_table) {
        if (!keys.isEmpty() && keys.count() == 1 && keys[0] == pressed)
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

qint16 CHotkeys::keyCodeOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qint16(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return qint16(kF1 + (qtKey - Qt::Key_F1));
    for (const auto& pair : kSpecialKeys) {
        if (pair.qtKey == qtKey)
            return pair.code;
    }
    return 0;
}

int CHotkeys::qtKeyOf(qint16 keyCode) {
    if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9'))
        return keyCode;
    if (keyCode >= kF1 && keyCode < kF1 + 24)
        return Qt::Key_F1 + (keyCode - kF1);
    for (const auto& pair : kSpecialKeys) {
        if (pair.code == keyCode)
            return pair.qtKey;
    }
    return 0;
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
