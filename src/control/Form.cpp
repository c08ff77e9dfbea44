// The form: every control with its name and container (first cut: names and nesting only).
#include "control/Form.h"

#include "widgets/CaptionBar.h"
#include "widgets/ComboField.h"
#include "widgets/FormulaButton.h"
#include "widgets/GradientFrame.h"
#include "widgets/TextField.h"
#include "widgets/ToolBand.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QTabWidget>

namespace K7X_DoruVevuzu {

namespace {
template <typename T> T* named(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

Form buildForm(QWidget* owner) {
    Form f;
    f.picCaption = named<widgets::CaptionBar>(owner, "picCaption");
    f.lblCaption = named<QLabel>(f.picCaption, "lblCaption");
    f.DS1 = named<widgets::ToolBand>(owner, "DS1");
    f.DS1->addTool(QStringLiteral("tbEdit"), QStringLiteral("Modifica"), QIcon(), true);
    f.DS1->addTool(QStringLiteral("tbOK"), QStringLiteral("Salva"), QIcon(), false);
    f.DS1->addTool(QStringLiteral("tbCancel"), QStringLiteral("Annulla Modifiche"), QIcon(), false);
    f.sstIndice = named<QTabWidget>(owner, "sstIndice");
    f.FrameGenerale = named<widgets::GradientFrame>(nullptr, "FrameGenerale");
    f.FrameFormula = named<widgets::GradientFrame>(nullptr, "FrameFormula");
    f.FrameValori = named<widgets::GradientFrame>(nullptr, "FrameValori");
    f.sstIndice->addTab(f.FrameGenerale, QStringLiteral("Generale"));
    f.sstIndice->addTab(f.FrameFormula, QStringLiteral("Formule"));
    f.sstIndice->addTab(f.FrameValori, QStringLiteral("Valori"));

    f.txtCodice = named<widgets::TextField>(f.FrameGenerale, "txtCodice");
    f.txtDescrizione = named<widgets::TextField>(f.FrameGenerale, "txtDescrizione");
    f.txtTesto = named<widgets::TextField>(f.FrameGenerale, "txtTesto");
    f.cmbGrafico = named<widgets::ComboField>(f.FrameGenerale, "cmbGrafico");
    f.ChkRelGest = named<QCheckBox>(f.FrameGenerale, "ChkRelGest");
    f.ChkRelGest->setTristate(true);
    f.txtFormulaCondizione = named<widgets::TextField>(f.FrameFormula, "txtFormulaCondizione");
    f.txtFormulaAllora = named<widgets::TextField>(f.FrameFormula, "txtFormulaAllora");
    f.txtFormulaAltrimenti = named<widgets::TextField>(f.FrameFormula, "txtFormulaAltrimenti");
    f.txtFormulaSimbolica = named<widgets::TextField>(f.FrameFormula, "txtFormulaSimbolica");
    f.txtValErr = named<widgets::TextField>(f.FrameFormula, "txtValErr");
    f.cmdFormula[0] = named<widgets::FormulaButton>(f.FrameFormula, "cmdFormula_0");
    f.cmdFormula[1] = named<widgets::FormulaButton>(f.FrameFormula, "cmdFormula_1");
    f.cmdFormula[2] = named<widgets::FormulaButton>(f.FrameFormula, "cmdFormula_2");
    f.txtValoreScarso = named<widgets::TextField>(f.FrameValori, "txtValoreScarso");
    f.txtDescrizioneScarso = named<widgets::TextField>(f.FrameValori, "txtDescrizioneScarso");
    f.txtValoreNormale = named<widgets::TextField>(f.FrameValori, "txtValoreNormale");
    f.txtDescrizioneNormale = named<widgets::TextField>(f.FrameValori, "txtDescrizioneNormale");
    f.txtValoreBuono = named<widgets::TextField>(f.FrameValori, "txtValoreBuono");
    f.txtDescrizioneBuono = named<widgets::TextField>(f.FrameValori, "txtDescrizioneBuono");
    for (widgets::TextField* numeric :
         {f.txtValErr, f.txtValoreScarso, f.txtValoreNormale, f.txtValoreBuono})
        numeric->setText(QStringLiteral("0"));
    return f;
}

} // namespace K7X_DoruVevuzu
