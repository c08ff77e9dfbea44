#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QString>
#include <QWidget>

namespace K7XBO_Global {
class CGlobal;
class CFormulaEngine;
} // namespace K7XBO_Global

/// The component: the editor of an index and the failure it reports.
namespace K7X_DoruVevuzu {

class ctlIndiciPrivate;

/// The embeddable editor of one index (one row of KX09_INDICE) of an analysis model.
///
/// A host places it on a window, sets CGlobal, CodiceModello and CodiceIndice, and calls
/// LoadIndice; before it closes the window or moves to another index it calls CanClose and
/// goes on only when that answers true. After a new index is saved, CanClose writes its code
/// into NewIndex and then emits Refresh. GUI thread only.
///
/// Ownership: the component owns its record set, its formula engine and its child controls.
/// It does not own the CGlobal service; it keeps a guarded pointer to it until Destroy(), so a
/// host that deletes the service first gets a RuntimeError, not a crash.
///
/// Failures: members throw RuntimeError (number, source, description) unless their
/// behaviour says otherwise. No exception crosses Qt's event loop: a failure inside a
/// click, a tool or a key handler is shown in a critical message box. Shared failures:
/// - **busy**: while a box of the component, the formula editor or the progress window waits,
///   every public member but Adding(), setCaption(), ReplaceIndice() and ClickOk() refuses:
///   `ObjectError + 0x0910`, "ctlIndici", "Il componente attende la risposta dell'utente a una
///   finestra di dialogo: riprovare quando è chiusa."
/// - **destroyed**: after Destroy(), `ObjectNotSet` (91), "ctlIndici", "Il record set
///   dell'indice non esiste più (Destroy)." or "Il motore delle formule non esiste più
///   (Destroy)."
/// - **host**: `ObjectNotSet` (91), "ctlIndici", "Il servizio dell'host (CGlobal) non è
///   impostato." (or "... è stato distrutto."), and "Il servizio dell'host non fornisce il
///   database." when CGlobal::Database() gives none; anything the host's overrides throw.
/// - **database**: source "Recordset": the driver's code (PostgreSQL's SQLSTATE when all
///   digits, SQLite's extended result code) or -2147467259, "Errore del database: " and the
///   driver's text; 3709, "La connessione al database si è interrotta ..." or "Impossibile
///   riaprire la connessione al database: ..." (a dropped PostgreSQL connection is opened
///   again by the next call).
class ctlIndici : public QWidget {
    Q_OBJECT
    /// Add mode: true clears the form for a new index; see setAdding().
    Q_PROPERTY(bool Adding READ Adding WRITE setAdding)
    // Published write-only: no public reader, not stored, not shown in Designer. Qt's
    // meta-object needs a reader for a property to be valid, so these three read back through
    // private accessors (setProperty() works as for any widget).
    /// The caption bar's text (write-only); see setCaption().
    Q_PROPERTY(QString Caption READ captionText WRITE setCaption STORED false DESIGNABLE false)
    /// The code of the index to show (write-only); see setCodiceIndice().
    Q_PROPERTY(QString CodiceIndice READ codiceIndiceText WRITE setCodiceIndice
                   STORED false DESIGNABLE false)
    /// The code of the model (write-only); see setCodiceModello().
    Q_PROPERTY(QString CodiceModello READ codiceModelloText WRITE setCodiceModello
                   STORED false DESIGNABLE false)
    Q_CLASSINFO("ClassId", "{A29ACD79-45D7-4BE1-BDD5-6DB5B6A2E5B0}")
public:
    /// An empty form with its toolbar; nothing is read until LoadIndice(). Never throws.
    explicit ctlIndici(QWidget* parent = nullptr);
    /// Runs Destroy(); never throws.
    ~ctlIndici() override;

    /// Whether the form holds a new index not yet saved.
    bool Adding() const;
    /// True empties the form, unlocks the code and enables the edit tools (nothing when already
    /// adding); false leaves add mode, locks the code and brings the current code back to the
    /// one the host gave, so nothing typed for the new index names a row.
    /// \throws RuntimeError busy.
    void setAdding(bool value);
    /// The closing protocol: validates the form, asks when it cannot be saved, carries a code
    /// change into formulas and documents, saves. Answers true when the host may close the
    /// window or switch index: also after a save failure, which is shown ("Errore in fase di
    /// chiusura!", "Error n. ..."), and after a failed document update that the user chose not
    /// to save past. False when the user keeps an invalid form, or when the host deleted the
    /// component while a box was open.
    /// After a new index is saved, writes its code into `NewIndex`, then emits Refresh as the
    /// very last thing it does. A form without changes answers true at once.
    /// \throws RuntimeError busy, destroyed, host, database (before the document step), and
    ///         the failures of the formula engine (CFormulaEngine::CheckFormula()).
    Q_INVOKABLE bool CanClose(QString& NewIndex);
    /// Rewrites in `Script` every reference `Indice("OldIndice")` (case ignored) into
    /// `Indice("NewIndice")`; the rule is on the \ref md_docs_formula_language "formula
    /// language" page. One pass, linear time.
    /// \throws RuntimeError `Overflow` (6), "ctlIndici", "La formula supera la lunghezza
    ///         massima di 2147483647 caratteri." for a script or a result longer than that.
    Q_INVOKABLE void ReplaceIndice(QString& Script, QString OldIndice, QString NewIndice);
    /// Carries a code change into every formula field of the model's report documents (listed
    /// in KX20_RELAZIONI, found in the application path's DocFolder): every document is read
    /// and checked before the first is rewritten, each is replaced atomically. Shows a
    /// progress window after half a second. Answers true when done, false when the host
    /// deleted the component while the progress window painted.
    /// \throws RuntimeError busy; otherwise every failure with its number and source and
    ///         "Errore in fase di aggiornamento dei documenti." before its description:
    ///         host and database failures; `ObjectError`, "Aggiornamento formule." for a
    ///         folder or field markers not set, a name leading out of the folder, a document
    ///         held by another program or update, or changed meanwhile; source "Documenti",
    ///         `ObjectError + 513` a damaged document or one past a limit, `+ 514` an edit the
    ///         engine refuses (naming the field), `+ 515` a document not written.
    Q_INVOKABLE bool UpdateDocFormulas(QString& OldIndice, QString& NewIndice);
    /// Sets the caption bar's text (the component rebuilds it as the code or description
    /// change). Never throws.
    void setCaption(const QString& value);
    /// Hands over the host's service (the property `CGlobal`), not owned; see the class.
    /// \throws RuntimeError busy, destroyed.
    void setCGlobal(K7XBO_Global::CGlobal* value);
    /// Enters add mode (setAdding(true)), empties the form, focuses the code on the first tab.
    /// \throws RuntimeError busy.
    Q_INVOKABLE void ClickAddIndex();
    /// Leaves add mode and shows the loaded index again, discarding the changes.
    /// \throws RuntimeError busy.
    Q_INVOKABLE void ClickCancel();
    /// Does nothing: saving goes through CanClose() or the save tool. Never throws.
    Q_INVOKABLE void ClickOk();
    /// Shows the loaded index again, discarding the changes (add mode: nothing).
    /// \throws RuntimeError busy.
    Q_INVOKABLE void ClickUndo();
    /// Sets the code of the index to load; it also becomes the "old" code a rename starts from.
    /// \throws RuntimeError busy.
    void setCodiceIndice(const QString& value);
    /// Sets the code of the model the index belongs to.
    /// \throws RuntimeError busy, destroyed.
    void setCodiceModello(const QString& value);
    /// Reads the index row of the model and code set and shows it with its fields locked; add
    /// mode ends. On failure the form is left as it was. A value it cannot show keeps its box
    /// as it was and a later save leaves that column alone. While adding, the entries of the new
    /// index stay on the form unread, and a save of them is refused.
    /// \throws RuntimeError busy, destroyed, host, database.
    Q_INVOKABLE void LoadIndice();
    /// Shows the loaded row again: every column that can be shown, the others skipped, then
    /// locks the fields. \throws RuntimeError busy.
    Q_INVOKABLE void ReadFields();
    /// Closes the record set and empties the form.
    /// \throws RuntimeError busy, destroyed.
    Q_INVOKABLE void UnloadIndice();
    /// Closes the record set, deletes the formula engine and lets go of the CGlobal service;
    /// may be called again. \throws RuntimeError busy.
    Q_INVOKABLE void Destroy();

signals:
    /// A new index was saved by CanClose() (or the save tool); the string handed to CanClose()
    /// already holds its code. The handler may reload or delete the component.
    void Refresh();

protected:
    /// Lays the form out for the new size (in twips, each step skipped below zero).
    void resizeEvent(QResizeEvent* event) override;
    /// Lays the form out for the size it is shown at.
    void showEvent(QShowEvent* event) override;
    /// Every key press of the component and its fields reaches the host's hotkeys first.
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Tab and Shift+Tab run through the fields in the form's order across the tabs.
    bool focusNextPrevChild(bool next) override;

private:
    QString captionText() const;
    QString codiceIndiceText() const;
    QString codiceModelloText() const;

    ctlIndiciPrivate* d = nullptr; // the component behind this front; a child, deleted with it
                                   // (null while it is made and deleted)
};

} // namespace K7X_DoruVevuzu
