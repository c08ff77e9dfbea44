// Settings: the demo host's settings of its business-object service, kept with QSettings.
//
// Hotkeys (edit, save, undo), the right to edit standard indices, the documents folder and the
// field markers. applySettings() hands the stored values to the service at start-up;
// SettingsDialog edits them and applies them when accepted.
#pragma once

#include <QDialog>

class QCheckBox;
class QKeySequenceEdit;
class QLineEdit;

namespace K7XBO_Global {
class CGlobal;
}

namespace demo {

void applySettings(K7XBO_Global::CGlobal& service);

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(K7XBO_Global::CGlobal& service, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    void accept() override;

private:
    K7XBO_Global::CGlobal& m_service;
    QKeySequenceEdit* m_keys[3];
    QCheckBox* m_canEditStandard;
    QLineEdit* m_docFolder;
    QLineEdit* m_fieldStart;
    QLineEdit* m_fieldEnd;
};

} // namespace demo
