// ComboField: the drop-down list with no free text, standing in for the maker's combo control.
//
// Qt's `editable` stays false: the user only picks an entry. The edit-enable switch decides
// whether the user may change the selection; when it is off, mouse, wheel and keyboard leave
// the selection alone (code still sets it), the list does not open, and the field keeps
// taking the focus with a read-only background. Nothing here fails. GUI thread only.
#pragma once

#include <QComboBox>

namespace K7X_DoruVevuzu::widgets {

class ComboField : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(bool userEditable READ userEditable)
public:
    explicit ComboField(QWidget* parent = nullptr);
    ~ComboField() override;

    bool userEditable() const { return m_editEnabled; }
    void setEditEnabled(bool value);
    void showPopup() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_editEnabled = true;
};

} // namespace K7X_DoruVevuzu::widgets
