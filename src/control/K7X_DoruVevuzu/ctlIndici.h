// ctlIndici: the embeddable editor of one index (one row of KX09_INDICE) of an analysis model.
//
// A host places it on a window, sets CGlobal, CodiceModello and CodiceIndice, and calls
// LoadIndice; before it closes the window or moves to another index it calls CanClose and
// goes on only when that answers true. After a new index is saved, CanClose writes its code
// into NewIndex and then emits Refresh.
//
// Ownership: the component owns its record set, its formula engine and its child controls.
// It does not own the CGlobal service; it keeps a guarded pointer to it until Destroy(), so a
// host that deletes the service first gets a RuntimeError, not a crash.
// Failures: members throw K7X_DoruVevuzu::RuntimeError (number, source, description) unless
// their behaviour says otherwise. No exception crosses Qt's event loop: a failure inside a
// click, a tool or a key handler is shown in a critical message box. GUI thread only.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;

namespace K7XBO_Global {
class CGlobal;
class CFormulaEngine;
} // namespace K7XBO_Global

namespace K7X_DoruVevuzu {

namespace data {
class Recordset;
}
struct Form;

class ctlIndici : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Adding READ Adding WRITE setAdding)
    // Published write-only: no public reader, not stored, not shown in Designer. Qt's
    // meta-object needs a reader for a property to be valid, so these three read back through
    // private accessors (setProperty() works as for any widget).
    Q_PROPERTY(QString Caption READ captionText WRITE setCaption STORED false DESIGNABLE false)
    Q_PROPERTY(QString CodiceIndice READ codiceIndiceText WRITE setCodiceIndice
                   STORED false DESIGNABLE false)
    Q_PROPERTY(QString CodiceModello READ codiceModelloText WRITE setCodiceModello
                   STORED false DESIGNABLE false)
    Q_CLASSINFO("ClassId", "{A29ACD79-45D7-4BE1-BDD5-6DB5B6A2E5B0}")
public:
    explicit ctlIndici(QWidget* parent = nullptr);
    ~ctlIndici() override; // runs Destroy()

    bool Adding() const;
    void setAdding(bool value);
    Q_INVOKABLE bool CanClose(QString& NewIndex);
    Q_INVOKABLE void ReplaceIndice(QString& Script, QString OldIndice, QString NewIndice);
    Q_INVOKABLE bool UpdateDocFormulas(QString& OldIndice, QString& NewIndice);
    void setCaption(const QString& value);
    void setCGlobal(K7XBO_Global::CGlobal* value); // the property `CGlobal`
    Q_INVOKABLE void ClickAddIndex();
    Q_INVOKABLE void ClickCancel();
    Q_INVOKABLE void ClickOk();
    Q_INVOKABLE void ClickUndo();
    void setCodiceIndice(const QString& value);
    void setCodiceModello(const QString& value);
    Q_INVOKABLE void LoadIndice();
    Q_INVOKABLE void ReadFields();
    Q_INVOKABLE void UnloadIndice();
    Q_INVOKABLE void Destroy();

signals:
    void Refresh();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class ctlIndiciProbe; // white-box access for the component's own tests only

    QString captionText() const;
    QString codiceIndiceText() const { return mCodiceIndice; }
    QString codiceModelloText() const { return mCodiceModello; }

    // control: the form, its layout, the toolbar and the keyboard
    void UserControl_Resize();
    void UserControl_KeyDown(qint16& KeyCode, qint16& Shift);
    void DS1_ToolClick(QAction* Tool);
    void runToolAction(QAction* Tool); // what DS1_ToolClick runs; failures reach the caller
    void switchTool(const QString& key, bool enabled);
    QAction* findTool(const QString& key) const;
    K7XBO_Global::CGlobal* global() const; // mGlobal, or a RuntimeError when there is none
    K7XBO_Global::CFormulaEngine& formulaEngine() const; // a RuntimeError after Destroy
    void release(); // what Destroy releases; the destructor releases it too
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
    void ReloadFields();
    void ClearFields();
    void SaveRecord();
    QString ValidateFields();
    // workflow: edit states, locks, change handlers, the closing protocol
    bool closeIndex(QString& NewIndex); // CanClose, also for the save tool
    void LockFields(bool Enable);
    void connectChangeHandlers();
    void fieldChanged(QWidget* field);
    // formulas: the document update, the editor buttons
    bool updateDocuments(const QString& oldCode, const QString& newCode);
    void connectFormulaButtons();
    void cmdFormula_Click(qint16 Index);

    QPointer<K7XBO_Global::CFormulaEngine> mFormulaEngine; // owned child, deleted by Destroy
    QPointer<K7XBO_Global::CGlobal> mGlobal;
    std::unique_ptr<data::Recordset> mRs;
    QString mCodiceModello;
    QString mCodiceIndice;
    QString mOldCodiceIndice;
    bool mAdding = false;
    bool mModified = false;
    bool mStandard = false;

    std::unique_ptr<Form> mForm;
    bool mGlobalSet = false; // a CGlobal was handed over (tells "deleted" from "never set")
    bool mWaiting = false;   // a nested event loop of the component is running
    // The index (model, code) whose row the record set was last opened on or saved as: a save
    // never writes under another key. Empty until the first LoadIndice or save.
    std::optional<std::pair<QString, QString>> mShownIndex;
    // Bit n: column n of the column table could not be shown by the last read, so its box kept
    // what it held; a save of that row leaves the column as it is stored.
    quint32 mUnreadColumns = 0;
};

} // namespace K7X_DoruVevuzu
