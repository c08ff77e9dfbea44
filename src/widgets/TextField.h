// TextField: the form's text box (single or multi-line), standing in for the maker's text control.
//
// (First cut: a single-line editor; the full settings arrive with the form.)
#pragma once

#include <QWidget>

class QLineEdit;

namespace K7X_DoruVevuzu::widgets {

class TextField : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY Change)
    Q_PROPERTY(bool userEditable READ userEditable)
public:
    explicit TextField(QWidget* parent = nullptr);
    ~TextField() override;

    QString text() const;
    void setText(const QString& value);
    bool userEditable() const;
    void setLocked(bool value);
    bool locked() const { return m_locked; }
    void setEditEnabled(bool value);
    bool editEnabled() const { return m_editEnabled; }

signals:
    void Change();

private:
    void applyEditState();
    QLineEdit* m_edit;
    bool m_locked = false;
    bool m_editEnabled = true;
};

} // namespace K7X_DoruVevuzu::widgets
