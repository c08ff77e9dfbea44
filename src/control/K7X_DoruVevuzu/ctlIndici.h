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

#include <memory>

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
    // Published write-only; Qt's meta-object needs a reader for a property to be valid, so
    // these three read back through private accessors (setProperty() works as for any widget).
    Q_PROPERTY(QString Caption READ captionText WRITE setCaption)
    Q_PROPERTY(QString CodiceIndice READ codiceIndiceText WRITE setCodiceIndice)
    Q_PROPERTY(QString CodiceModello READ codiceModelloText WRITE setCodiceModello)
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
    void showFailure(const RuntimeError& failure, const QString& title);
    // record: the index row and the form
    void ReloadFields();
    void ClearFields();
    void SaveRecord();
    QString ValidateFields();
    // workflow: edit states, locks, change handlers
    void LockFields(bool Enable);
    void connectChangeHandlers();
    void fieldChanged(QWidget* field);
    // formulas: the editor buttons
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
};

} // namespace K7X_DoruVevuzu
