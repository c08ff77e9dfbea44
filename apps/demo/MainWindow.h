// MainWindow: the demo host's window — model chooser, searchable index list, the component and
// the host's commands (new, save, undo, rename, where used, check the model, settings).
//
// It follows the component's calling order: it moves to another index, changes model or closes
// only after CanClose() answers true, and on Refresh it reloads the list and shows NewIndex.
// Owns the host service; every failure of a command is shown in a message box.
#pragma once

#include "DemoDatabase.h"

#include <QMainWindow>

#include <functional>

class QComboBox;

namespace K7XBO_Global {
class CGlobal;
}
namespace K7X_DoruVevuzu {
class ctlIndici;
}

namespace demo {

class IndexList;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const DemoDatabase& database, QWidget* parent = nullptr);
    ~MainWindow() override;

    K7X_DoruVevuzu::ctlIndici* editor() const { return m_editor; }
    IndexList* indexList() const { return m_list; }
    QString currentModel() const;
    // Shows another index after CanClose; false when the user chose to stay.
    bool openIndex(const QString& code);
    void newIndex();
    void save();
    void undo();
    // Shows what renaming the current index would change and renames it when the user agrees; a
    // failure of the rename is shown.
    void renameCurrent(const QString& newCode);
    // Lists where the current index is used; a formula's place double-clicked opens its index.
    void showUsage();
    // Checks the current model and lists what it found; a formula's finding double-clicked opens
    // its index.
    void checkCurrentModel();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCommands();
    void chooseModel(int row);
    void showIndex(const QString& code);
    void onRefresh();
    void askRename();
    void runCommand(const std::function<void()>& command);
    bool leaveCurrent();

    K7XBO_Global::CGlobal* m_service;
    QComboBox* m_models;
    IndexList* m_list;
    K7X_DoruVevuzu::ctlIndici* m_editor;
    QString m_newIndex;
    QString m_modelShown;
};

} // namespace demo
