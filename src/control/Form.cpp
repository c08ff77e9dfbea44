// The form: every control with its container, place, size, text and settings, as one table.
#include "control/Form.h"

#include "record/Codes.h"
#include "record/Numbers.h"
#include "widgets/CaptionBar.h"
#include "widgets/CheckField.h"
#include "widgets/ComboField.h"
#include "widgets/FormulaButton.h"
#include "widgets/GradientFrame.h"
#include "widgets/TextField.h"
#include "widgets/ToolBand.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <type_traits>

namespace K7X_DoruVevuzu {

namespace {

using widgets::TextField;
namespace twips = widgets::twips;

enum class Kind {
    Bar,
    Caption,
    Band,
    Tabs,
    Frame,
    Label,
    WrappedLabel,
    Text,
    Combo,
    Check,
    Button
};

// Type faces of the form; each falls back to a look-alike where the design face is missing.
enum class Face { FormDefault, Tahoma, Arial, Courier, Caption };

struct Settings {
    Face face = Face::FormDefault;
    int maxLength = 0;
    bool multiLine = false;
    TextField::ScrollBars scrollBars = TextField::ScrollBars::None;
    bool rightAligned = false;
    bool numeric = false; // the maker's `setcaratteri` 2
    bool locked = false;
};

struct Control {
    const char* name;
    Kind kind;
    const char* container; // nullptr: the component itself; a Frame's container is a tab control
    QRectF twips;          // left, top, width, height, relative to the container
    const char* text;      // a Frame's text is its tab's caption; a field's is its initial value
    Settings settings;
    void (*bind)(Form&, QWidget*); // where the Form keeps it; nullptr when nothing addresses it
};

template <auto Member> void bindTo(Form& form, QWidget* w) {
    using Pointer = std::remove_reference_t<decltype(form.*Member)>;
    form.*Member = static_cast<Pointer>(w);
}

template <std::size_t Index> void bindButton(Form& form, QWidget* w) {
    form.cmdFormula[Index] = static_cast<widgets::FormulaButton*>(w);
}

constexpr Settings kTahoma{.face = Face::Tahoma};
constexpr Settings kArial{.face = Face::Arial};
constexpr Settings kArialNumber{.face = Face::Arial, .numeric = true};
constexpr Settings kArialComment{
    .face = Face::Arial, .multiLine = true, .scrollBars = TextField::ScrollBars::Vertical};
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
    {"DS1", Kind::Band, nullptr, {0, 450, 10200, 450}, "tbComandi", {}, bindTo<&Form::DS1>},
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
     bindTo<&Form::txtCodice>},
    {"Label2", Kind::Label, kGenerale, {3150, 120, 810, 195}, "Descrizione", kTahoma, nullptr},
    {"txtDescrizione",
     Kind::Text,
     kGenerale,
     {4200, 120, 4485, 315},
     "",
     {.face = Face::Tahoma, .maxLength = 50},
     bindTo<&Form::txtDescrizione>},
    {"Label3", Kind::Label, kGenerale, {180, 600, 405, 195}, "Testo", kTahoma, nullptr},
    {"txtTesto",
     Kind::Text,
     kGenerale,
     {1440, 600, 7245, 1305},
     "",
     {.face = Face::Tahoma, .multiLine = true},
     bindTo<&Form::txtTesto>},
    {"Label14", Kind::Label, kGenerale, {180, 2160, 510, 195}, "Grafico", kTahoma, nullptr},
    {"cmbGrafico",
     Kind::Combo,
     kGenerale,
     {1440, 2040, 1695, 315},
     "",
     kTahoma,
     bindTo<&Form::cmbGrafico>},
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
     bindTo<&Form::ChkRelGest>},

    {"Label7", Kind::Label, kFormula, {120, 150, 780, 195}, "Condizione", {}, nullptr},
    {"txtFormulaCondizione",
     Kind::Text,
     kFormula,
     {1500, 120, 6375, 315},
     "",
     kArial,
     bindTo<&Form::txtFormulaCondizione>},
    {"cmdFormula_0", Kind::Button, kFormula, {7860, 120, 315, 315}, "", {}, bindButton<0>},
    {"Label8", Kind::Label, kFormula, {120, 570, 975, 195}, "Formula allora", {}, nullptr},
    {"txtFormulaAllora",
     Kind::Text,
     kFormula,
     {1500, 480, 6375, 1215},
     "",
     kArialComment,
     bindTo<&Form::txtFormulaAllora>},
    {"cmdFormula_1", Kind::Button, kFormula, {7860, 480, 315, 315}, "", {}, bindButton<1>},
    {"Label9", Kind::Label, kFormula, {120, 1770, 1215, 195}, "Formula altrimenti", {}, nullptr},
    {"txtFormulaAltrimenti",
     Kind::Text,
     kFormula,
     {1500, 1800, 6375, 1215},
     "",
     kArialComment,
     bindTo<&Form::txtFormulaAltrimenti>},
    {"cmdFormula_2", Kind::Button, kFormula, {7860, 1800, 315, 315}, "", {}, bindButton<2>},
    {"Label10", Kind::Label, kFormula, {120, 3120, 1245, 195}, "Formula simbolica", {}, nullptr},
    {"txtFormulaSimbolica",
     Kind::Text,
     kFormula,
     {1500, 3120, 6375, 1365},
     "",
     {.face = Face::Courier, .multiLine = true, .scrollBars = TextField::ScrollBars::Both},
     bindTo<&Form::txtFormulaSimbolica>},
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
     bindTo<&Form::txtValErr>},

    {"Label4", Kind::Label, kValori, {120, 120, 960, 315}, "Valore scarso", {}, nullptr},
    {"txtValoreScarso",
     Kind::Text,
     kValori,
     {1440, 120, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreScarso>},
    {"Label11", Kind::Label, kValori, {2760, 120, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneScarso",
     Kind::Text,
     kValori,
     {3720, 120, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneScarso>},
    {"Label5", Kind::Label, kValori, {120, 960, 1050, 195}, "Valore normale", {}, nullptr},
    {"txtValoreNormale",
     Kind::Text,
     kValori,
     {1440, 960, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreNormale>},
    {"Label12", Kind::Label, kValori, {2760, 960, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneNormale",
     Kind::Text,
     kValori,
     {3720, 960, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneNormale>},
    {"Label6", Kind::Label, kValori, {120, 1800, 945, 195}, "Valore buono", {}, nullptr},
    {"txtValoreBuono",
     Kind::Text,
     kValori,
     {1440, 1800, 1035, 315},
     "0",
     kArialNumber,
     bindTo<&Form::txtValoreBuono>},
    {"Label13", Kind::Label, kValori, {2760, 1800, 750, 195}, "Commento", {}, nullptr},
    {"txtDescrizioneBuono",
     Kind::Text,
     kValori,
     {3720, 1800, 5595, 675},
     "",
     kArialComment,
     bindTo<&Form::txtDescrizioneBuono>},
};

constexpr QSizeF kDesignSize{10440, 7005};
const QColor kNavy{0, 0, 128};
const QColor kLightBlue{171, 196, 252};

// Indexed by Face. `width` is the advance of "a" to "z" in the design face, in ems: a
// substitute that runs wider is drawn smaller by as much, one that fits keeps the design size
// (the metric-compatible faces, second in each list, always do).
struct Look {
    const char* families[3];
    qreal points;
    bool bold;
    qreal width;
};
constexpr Look kLooks[] = {
    {{"MS Sans Serif", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 11.0},
    {{"Tahoma", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 12.95},
    {{"Arial", "Liberation Sans", "DejaVu Sans Condensed"}, 8.25, false, 12.73},
    {{"Courier New", "Liberation Mono", "DejaVu Sans Mono"}, 8.25, false, 15.6},
    {{"Times New Roman", "Liberation Serif", "DejaVu Serif"}, 11.25, true, 12.72},
};
constexpr QLatin1StringView kAlphabet("abcdefghijklmnopqrstuvwxyz");

QFont fontOf(Face face) {
    const Look& look = kLooks[static_cast<int>(face)];
    QStringList families;
    for (const char* family : look.families)
        families << QLatin1String(family);
    QFont font(families.first());
    font.setFamilies(families);
    font.setBold(look.bold);
    font.setPixelSize(1000);
    const bool designFace =
        QFontInfo(font).family().compare(families.first(), Qt::CaseInsensitive) == 0;
    const qreal width = QFontMetricsF(font).horizontalAdvance(kAlphabet) / 1000.0;
    font.setPointSizeF(designFace ? look.points : look.points * std::min(1.0, look.width / width));
    return font;
}

// The tab control's face is that of its captions; its pages keep the form's face.
void setFace(QWidget* w, Face face) {
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
        tabs->tabBar()->setFont(fontOf(face));
    else
        w->setFont(fontOf(face));
}

void paint(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = w->palette();
    palette.setColor(role, colour);
    w->setPalette(palette);
}

QLabel* makeLabel(const Control& c, QWidget* parent) {
    auto* label = new QLabel(uiText(c.text), parent);
    if (c.kind == Kind::Caption) // shows the code and description as typed, never as markup
        label->setTextFormat(Qt::PlainText);
    else
        paint(label, QPalette::WindowText, kNavy);
    label->setWordWrap(c.kind == Kind::WrappedLabel);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

TextField* makeText(const Control& c, QWidget* parent) {
    const Settings& s = c.settings;
    auto* field =
        new TextField(parent, s.multiLine ? TextField::Lines::Multi : TextField::Lines::Single);
    field->setMaxLength(s.maxLength);
    if (s.numeric)
        field->setTypingRule(record::canBecomeNumber);
    field->setAlignment((s.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                        (s.multiLine ? Qt::AlignTop : Qt::AlignVCenter));
    field->setScrollBars(s.scrollBars);
    field->setLocked(s.locked);
    field->setText(QString::fromUtf8(c.text));
    return field;
}

// A frame sits on its own tab page; its twips stay relative to the tab control.
QWidget* makeFrame(const Control& c, QWidget* container) {
    auto* tabs = static_cast<QTabWidget*>(container);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tab%1").arg(QString::fromUtf8(c.text)));
    tabs->addTab(page, uiText(c.text));
    return new widgets::GradientFrame(page);
}

QWidget* make(const Control& c, QWidget* container) {
    switch (c.kind) {
    case Kind::Bar:
        return new widgets::CaptionBar(container);
    case Kind::Band: {
        auto* band = new widgets::ToolBand(container);
        band->setBand(QString::fromUtf8(c.text));
        addDesignTools(band);
        return band;
    }
    case Kind::Tabs:
        return new QTabWidget(container);
    case Kind::Frame:
        return makeFrame(c, container);
    case Kind::Caption:
    case Kind::Label:
    case Kind::WrappedLabel:
        return makeLabel(c, container);
    case Kind::Text:
        return makeText(c, container);
    case Kind::Combo:
        return new widgets::ComboField(container);
    case Kind::Check: {
        auto* check = new widgets::CheckField(container);
        check->setAutoFillBackground(true);
        paint(check, QPalette::Window, kLightBlue);
        return check;
    }
    case Kind::Button:
        return new widgets::FormulaButton(container);
    }
    return nullptr;
}

// The caption label keeps its design size until the component's caption is written.
bool sizedToText(Kind kind) {
    return kind == Kind::Label;
}

} // namespace

Form buildForm(QWidget* owner) {
    Form form;
    QHash<QString, QWidget*> made;
    owner->setFont(fontOf(Face::FormDefault));
    for (const Control& c : kControls) {
        QWidget* container = c.container ? made.value(QLatin1String(c.container)) : owner;
        QWidget* w = make(c, container);
        w->setObjectName(QLatin1String(c.name));
        setFace(w, c.settings.face);
        twips::track(w, c.twips, container);
        if (sizedToText(c.kind)) {
            w->adjustSize();
            twips::adoptSize(w);
        }
        made.insert(w->objectName(), w);
        if (c.kind >= Kind::Text)
            form.focusOrder.push_back(w);
        if (c.bind)
            c.bind(form, w);
    }
    owner->resize(qRound(kDesignSize.width() / twips::kPerPixel),
                  qRound(kDesignSize.height() / twips::kPerPixel));
    return form;
}

} // namespace K7X_DoruVevuzu
