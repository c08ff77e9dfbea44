#include "form/ControlTable.h"

#include "form/Form.h"
#include "record/Codes.h"
#include "widgets/CaptionBar.h"
#include "widgets/ComboField.h"
#include "widgets/FormulaButton.h"
#include "widgets/GradientFrame.h"
#include "widgets/ToolBand.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

#include <algorithm>
#include <type_traits>

namespace K7X_DoruVevuzu {

namespace {

using widgets::TextField;
using Lock = workflow::LockRule;

template <auto Member> void bindTo(Form& form, QWidget* w) {
    using Pointer = std::remove_reference_t<decltype(form.*Member)>;
    form.*Member = static_cast<Pointer>(w);
}

void bindBand(Form& form, QWidget* w) {
    form.DS1 = static_cast<widgets::ToolBand*>(w);
    const QList<QAction*> actions = form.DS1->actions(); // the tools, in the order added
    std::copy_n(actions.cbegin(), form.tools.size(), form.tools.begin());
}

template <std::size_t Index> void bindButton(Form& form, QWidget* w) {
    form.cmdFormula[Index] = static_cast<widgets::FormulaButton*>(w);
}

constexpr Settings kTahoma{.face = Face::Tahoma};
constexpr Settings kArial{.face = Face::Arial};
constexpr Settings kArialNumber{.face = Face::Arial, .numeric = true};
constexpr Settings kArialComment{
    .face = Face::Arial, .multiLine = true, .scrollBars = TextField::ScrollBars::Vertical};
// The columns that share their rules: a free text, a level's value and a level's comment.
constexpr Column freeText(const char* name) {
    return {name, Into::TextOrEmpty, Out::Text, Clearing::Empty};
}
constexpr Column level(const char* name) {
    return {name, Into::NumberOrEmpty, Out::LevelValue, Clearing::Empty};
}
constexpr Column comment(const char* name) {
    return {name, Into::TextOrEmpty, Out::LevelComment, Clearing::Untouched};
}

constexpr const char* kGenerale = "FrameGenerale";
constexpr const char* kFormula = "FrameFormula";
constexpr const char* kValori = "FrameValori";

// Containers come before what they hold, and the fields are in the form's focus order, which
// runs across the tabs: Qt chains the focus in the order widgets are created, so the table
// order is the focus order (the tab control, the bar and the toolbar take their turn after the
// last field, as the ring closes).
const Control kControls[] = {
    {"picCaption", Kind::Bar, nullptr, {0, 0, 10440, 435}, "", {}, bindTo<&Form::picCaption>},
    {"lblCaption",
     Kind::Caption,
     "picCaption",
     {120, 90, 1005, 255},
     "",
     {.face = Face::Caption},
     bindTo<&Form::lblCaption>},
    {"DS1", Kind::Band, nullptr, {0, 450, 10200, 450}, "tbComandi", {}, bindBand},
    {"sstIndice",
     Kind::Tabs,
     nullptr,
     {60, 960, 10335, 6045},
     "",
     kTahoma,
     bindTo<&Form::sstIndice>},
    {"FrameGenerale",
     Kind::Frame,
     "sstIndice",
     {45, 360, 10215, 5655},
     "Generale",
     {},
     bindTo<&Form::FrameGenerale>},
    {"FrameFormula",
     Kind::Frame,
     "sstIndice",
     {40, 360, 10215, 5655},
     "Formule",
     {},
     bindTo<&Form::FrameFormula>},
    {"FrameValori",
     Kind::Frame,
     "sstIndice",
     {40, 360, 10215, 5655},
     "Valori",
     {},
     bindTo<&Form::FrameValori>},

    {"Label1", Kind::Label, kGenerale, {180, 120, 480, 195}, "Codice", kTahoma, nullptr},
    {"txtCodice",
     Kind::Text,
     kGenerale,
     {1440, 120, 1545, 315},
     "",
     {.face = Face::Tahoma, .maxLength = record::kCodeLength, .locked = true},
     bindTo<&Form::txtCodice>,
     Lock::Code,
     Column{"KX09_CODICEINDICE", Into::Text, Out::NewRowOnly, Clearing::Empty}},
    {"Label2", Kind::Label, kGenerale, {3150, 120, 810, 195}, "Descrizione", kTahoma, nullptr},
    {"txtDescrizione",
     Kind::Text,
     kGenerale,
     {4200, 120, 4485, 315},
     "",
     {.face = Face::Tahoma, .maxLength = 50},
     bindTo<&Form::txtDescrizione>,
     Lock::Content,
     Column{"KX09_DESCRIZIONE", Into::Text, Out::Text, Clearing::Empty}},
    {"Label3", Kind::Label, kGenerale, {180, 600, 405, 195}, "Testo", kTahoma, nullptr},
    {"txtTesto",
     Kind::Text,
     kGenerale,
     {1440, 600, 7245, 1305},
     "",
     {.face = Face::Tahoma, .multiLine = true},
     bindTo<&Form::txtTesto>,
     Lock::Content,
     freeText("KX09_TESTO")},
    {"Label14", Kind::Label, kGenerale, {180, 2160, 510, 195}, "Grafico", kTahoma, nullptr},
    {"cmbGrafico",
     Kind::Combo,
     kGenerale,
     {1440, 2040, 1695, 315},
     "",
     kTahoma,
     bindTo<&Form::cmbGrafico>,
     Lock::Content,
     Column{"KX09_GRAFICO", Into::ListIndex, Out::SelectedIndex, Clearing::Untouched}},
    {"Label16",
     Kind::WrappedLabel,
     kGenerale,
     {180, 2520, 2295, 375},
     "Includi nell'esportazione per la Relazione sulla Gestione",
     kTahoma,
     nullptr},
    {"ChkRelGest",
     Kind::Check,
     kGenerale,
     {2880, 2520, 200, 200},
     "",
     kTahoma,
     bindTo<&Form::ChkRelGest>,
     Lock::Free,
     Column{"KX09_DEFEXPRELGEST", Into::TickedWhenTrue, Out::TickedIsTrue, Clearing::Untouched}},

    {"Label7", Kind::Label, kFormula, {120, 150, 780, 195}, "Condizione", {}, nullptr},
    {"txtFormulaCondizione",
     Kind::Text,
     kFormula,
     {1500, 120, 6375, 315},
     "",
     kArial,
     bindTo<&Form::txtFormulaCondizione>,
     Lock::Content,
     freeText("KX09_FORMULACONDIZIONE")},
    {"cmdFormula_0",
     Kind::Button,
     kFormula,
     {7860, 120, 315, 315},
     "",
     {},
     bindButton<0>,
     Lock::Content},
    {"Label8", Kind::Label, kFormula, {120, 570, 975, 195}, "Formula allora", {}, nullptr},
    {"txtFormulaAllora",
     Kind::Text,
     kFormula,
     {1500, 480, 6375, 1215},
     "",
     kArialComment,
     bindTo<&Form::txtFormulaAllora>,
     Lock::Content,
     freeText("KX09_FORMULAALLORA")},
    {"cmdFormula_1",
     Kind::Button,
     kFormula,
     {7860, 480, 315, 315},
     "",
     {},
     bindButton<1>,
     Lock::Content},
    {"Label9", Kind::Label, kFormula, {120, 1770, 1215, 195}, "Formula altrimenti", {}, nullptr},
    {"txtFormulaAltrimenti",
     Kind::Text,
     kFormula,
     {1500, 1800, 6375, 1215},
     "",
     kArialComment,
     bindTo<&Form::txtFormulaAltrimenti>,
     Lock::Content,
     freeText("KX09_FORMULAALTRIMENTI")},
    {"cmdFormula_2",
     Kind::Button,
     kFormula,
     {7860, 1800, 315, 315},
     "",
     {},
     bindButton<2>,
     Lock::Content},
    {"Label10", Kind::Label, kFormula, {120, 3120, 1245, 195}, "Formula simbolica", {}, nullptr},
    {"txtFormulaSimbolica",
     Kind::Text,
     kFormula,
     {1500, 3120, 6375, 1365},
     "",
     {.face = Face::Courier, .multiLine = true, .scrollBars = TextField::ScrollBars::Both},
     bindTo<&Form::txtFormulaSimbolica>,
     Lock::Content,
     freeText("KX09_FORMULASIMBOLICA")},
    {"Label15",
     Kind::WrappedLabel,
     kFormula,
     {180, 4680, 1290, 675},
     "Valore dell'indice in caso di formula non calcolabile",
     {},
     nullptr},
    {"txtValErr",
     Kind::Text,
     kFormula,
     {1500, 4680, 1095, 315},
     "0",
     {.face = Face::Arial, .rightAligned = true, .numeric = true},
     bindTo<&Form::txtValErr>,
     Lock::Free,
     Column{"KX09_VALERR_FORMULA", Into::NumberOrZero, Out::NumberOrZero, Clearing::Zero}},

    {"Label4", Kind::Label, kValori, {120, 120, 960, 315}, "Valore scarso", {}, nullptr},
    {"txtValoreScarso",
     Kind::Text,
     kValori,
     {1440, 120, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreScarso>,
     Lock::Content,
     level("KX09_VALORESCARSO"),
     Threshold{1, "Inserire il valore scarso."}},
    {"Label11", Kind::Label, kValori, {2760, 120, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneScarso",
     Kind::Text,
     kValori,
     {3720, 120, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneScarso>,
     Lock::Content,
     comment("KX09_DESCRIZIONESCARSO")},
    {"Label5", Kind::Label, kValori, {120, 960, 1050, 195}, "Valore normale", {}, nullptr},
    {"txtValoreNormale",
     Kind::Text,
     kValori,
     {1440, 960, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreNormale>,
     Lock::Content,
     level("KX09_VALORENORMALE"),
     Threshold{3, "Inserire il valore normale."}},
    {"Label12", Kind::Label, kValori, {2760, 960, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneNormale",
     Kind::Text,
     kValori,
     {3720, 960, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneNormale>,
     Lock::Content,
     comment("KX09_DESCRIZIONENORMALE")},
    {"Label6", Kind::Label, kValori, {120, 1800, 945, 195}, "Valore buono", {}, nullptr},
    {"txtValoreBuono",
     Kind::Text,
     kValori,
     {1440, 1800, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreBuono>,
     Lock::Content,
     level("KX09_VALOREBUONO"),
     Threshold{2, "Inserire il valore buono."}},
    {"Label13", Kind::Label, kValori, {2760, 1800, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneBuono",
     Kind::Text,
     kValori,
     {3720, 1800, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneBuono>,
     Lock::Content,
     comment("KX09_DESCRIZIONEBUONO")},
};

} // namespace

std::span<const Control> controlTable() {
    return kControls;
}

} // namespace K7X_DoruVevuzu
