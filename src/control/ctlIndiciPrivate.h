// ctlIndiciPrivate: the component behind ctlIndici's public front. It owns the form and its
// widgets' bindings (form/Form.h), the edit session (workflow/EditSession.h), the record
// of the index shown and the formula engine, and runs every public call: each member of the
// front is one line handing over to the member of the same name here. It is a QObject child of
// the front (named "ctlIndiciPrivate"), deleted with it, and the context of the form's
// connections, so none outlives it. The front stays the widget: boxes and the progress window
// are its children, its cursor shows the hourglass, Refresh is its signal. Failures as the
// front documents them. GUI thread only.
#pragma once

#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QEvent;

namespace K7X_DoruVevuzu {

namespace record {
class IndexRecord;
}
namespace workflow {
class EditSession;
}
struct Form;

class ctlIndiciPrivate : public QObject {
    Q_OBJECT
public:
    explicit ctlIndiciPrivate(ctlIndici& front);
    ~ctlIndiciPrivate() override;

    // The published calls, as the front documents them.
    bool Adding() const;
    void setAdding(bool value);
    bool CanClose(QString& NewIndex);
    void ReplaceIndice(QString& Script, const QString& OldIndice, const QString& NewIndice);
    bool UpdateDocFormulas(QString& OldIndice, QString& NewIndice);
    void setCaption(const QString& value);
    void setCGlobal(K7XBO_Global::CGlobal* value);
    void ClickAddIndex();
    void ClickCancel();
    void ClickUndo();
    void setCodiceIndice(const QString& value);
    void setCodiceModello(const QString& value);
    void LoadIndice();
    void ReadFields();
    void UnloadIndice();
    void Destroy();
    QString captionText() const;
    QString codiceIndiceText() const;
    QString codiceModelloText() const;

    // control: the form, its layout, the toolbar and the keyboard
    void layOut();
    // A key press for `watched` (the front or one of its fields) through the host's hotkeys:
    // true when it was handled here and goes no further.
    bool filterKey(QObject* watched, QEvent* event);
    // Tab and Shift+Tab through the fields in the form's order: false when Qt's own chain
    // decides (past the first or last field, or from a control that is no field).
    bool moveFocus(bool next);
    void runHotkey(qint16& KeyCode, qint16& Shift);
    void toolClicked(QAction* action);
    void runToolAction(QAction* action);   // what toolClicked runs; failures reach the caller
    K7XBO_Global::CGlobal* global() const; // m_global, or a RuntimeError when there is none
    K7XBO_Global::CFormulaEngine& formulaEngine() const; // a RuntimeError after Destroy
    void release(); // what Destroy releases; the front's destructor releases it too
    // Nested event loops (a message box, the formula editor) run the host's events in the
    // middle of the component's work. While one runs, the public members refuse to run
    // (refuseWhileWaiting); waitFor runs one and throws ComponentGone when the host deleted
    // the component meanwhile, which every entry point catches to return at once.
    void refuseWhileWaiting() const;
    void waitFor(const std::function<void()>& wait);
    bool askUser(const QString& title, const QString& text);  // Yes/No, false for No
    void tellUser(const QString& title, const QString& text); // the critical box
    void showFailure(const RuntimeError& failure, const QString& title);
    // Runs a handler that Qt calls: a failure is shown in a critical box titled `title`, and
    // nothing leaves it (no exception crosses Qt's event loop).
    void runHandler(const QString& title, const std::function<void()>& action);
    // record: the index row and the form
    void reloadFields();
    void clearFields();
    void saveRecord();
    QString validateFields();
    // workflow: edit states, locks, change handlers, the closing protocol
    bool closeIndex(QString& NewIndex); // CanClose, also for the save tool
    void lockFields(bool editing);
    void connectChangeHandlers();
    void fieldChanged(QWidget* field);
    // formulas: the document update, the editor buttons
    bool updateDocuments(const QString& oldCode, const QString& newCode);
    void connectFormulaButtons();
    void editFormula(qint16 index);

    ctlIndici& m_front;
    QPointer<K7XBO_Global::CFormulaEngine> m_formulaEngine; // owned child, deleted by Destroy
    QPointer<K7XBO_Global::CGlobal> m_global;
    std::unique_ptr<record::IndexRecord> m_record;
    std::unique_ptr<workflow::EditSession> m_session;
    std::unique_ptr<Form> m_form;
    bool m_globalSet = false; // a CGlobal was handed over (tells "deleted" from "never set")
    bool m_waiting = false;   // a nested event loop of the component is running
};

} // namespace K7X_DoruVevuzu
