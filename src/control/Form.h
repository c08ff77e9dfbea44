// Form: the child controls of ctlIndici, by their names in the form description.
//
// Built once by buildForm() when the component is created; every widget is owned by Qt's
// parent chain under the component, this struct only points at them. Other subsystems reach a
// control as mForm->txtCodice and so on.
#pragma once

#include <QPointer>
#include <array>

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

struct Form {
    widgets::CaptionBar* picCaption = nullptr;
    QLabel* lblCaption = nullptr;
    widgets::ToolBand* DS1 = nullptr;
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
};

// Creates every control of the form as a descendant of owner, with its design settings.
Form buildForm(QWidget* owner);

} // namespace K7X_DoruVevuzu
