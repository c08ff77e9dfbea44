// ComboField: the drop-down list with no free text, standing in for the maker's combo control.
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
    void setEditEnabled(bool value) { m_editEnabled = value; }

private:
    bool m_editEnabled = true;
};

} // namespace K7X_DoruVevuzu::widgets
