// Form: the child controls of ctlIndici, by their names in the form description.
//
// buildForm() creates every control once, when the component is created, from the form's
// control table: name, kind, container, place and size in twips, text and settings, then the
// focus order and the design size (10440 × 7005 twips). Every widget is owned by Qt's parent
// chain under the component; this struct only points at them. Other subsystems reach a
// control as m_form->txtCodice and so on; hosts and tests find it by its objectName. Each
// named control carries its twips rectangle (see widgets/Twips.h). Nothing here fails.
// GUI thread only.
#pragma once

#include "form/Tools.h"
#include "workflow/EditSession.h"

#include <QPointer>
#include <QString>
#include <array>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QTabWidget;
class QWidget;

namespace K7X_DoruVevuzu::widgets {
class CaptionBar;
class ComboField;
class FormulaButton;
class GradientFrame;
class TextField;
class ToolBand;
} // namespace K7X_DoruVevuzu::widgets

namespace K7X_DoruVevuzu {

struct Control;

// A field of the form: its row of the control table, its widget and, when it shows a column,
// that column's bit in a set of columns (the edit session's unread and changed columns).
struct Field {
    const Control* row;
    QWidget* widget;
    quint32 bit; // 0 when the field shows no column
};

// The field's widget as its kind makes it: Text a TextField, Combo a ComboField, Check a
// QCheckBox.
template <typename T> T& widgetOf(const Field& field) {
    return *static_cast<T*>(field.widget);
}

struct Form {
    widgets::CaptionBar* picCaption = nullptr;
    QLabel* lblCaption = nullptr;
    widgets::ToolBand* DS1 = nullptr;
    ToolActions tools; // DS1's tools, by workflow::Tool
    QTabWidget* sstIndice = nullptr;
    widgets::GradientFrame* FrameGenerale = nullptr;
    widgets::GradientFrame* FrameFormula = nullptr;
    widgets::GradientFrame* FrameValori = nullptr;

    widgets::TextField* txtCodice = nullptr;
    widgets::TextField* txtDescrizione = nullptr;
    widgets::TextField* txtTesto = nullptr;
    widgets::ComboField* cmbGrafico = nullptr;
    QCheckBox* ChkRelGest = nullptr;

    widgets::TextField* txtFormulaCondizione = nullptr;
    widgets::TextField* txtFormulaAllora = nullptr;
    widgets::TextField* txtFormulaAltrimenti = nullptr;
    widgets::TextField* txtFormulaSimbolica = nullptr;
    widgets::TextField* txtValErr = nullptr;
    std::array<widgets::FormulaButton*, 3> cmdFormula{};

    widgets::TextField* txtValoreScarso = nullptr;
    widgets::TextField* txtDescrizioneScarso = nullptr;
    widgets::TextField* txtValoreNormale = nullptr;
    widgets::TextField* txtDescrizioneNormale = nullptr;
    widgets::TextField* txtValoreBuono = nullptr;
    widgets::TextField* txtDescrizioneBuono = nullptr;

    std::vector<QWidget*> focusOrder; // the fields in the form's focus order, across the tabs
    std::vector<Field> fields; // every field with a lock rule or a column, in the table's order
};

// The bits of the columns that `widget` shows (0 when it shows none).
quint32 columnBitsOf(const Form& form, const QObject* widget);

// A form text in the language the host chose (Italian unless a translation is loaded).
QString uiText(const char* italian);

// Creates every control of the form as a descendant of owner, with its design settings.
Form buildForm(QWidget* owner);

} // namespace K7X_DoruVevuzu
