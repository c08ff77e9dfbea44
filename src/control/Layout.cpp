// Layout on resize: the form follows the component's size, in twips, step by step.
#include "control/ctlIndiciPrivate.h"

#include "form/Form.h"
#include "widgets/CaptionBar.h"
#include "widgets/FormulaButton.h"
#include "widgets/GradientFrame.h"
#include "widgets/TextField.h"
#include "widgets/ToolBand.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

namespace K7X_DoruVevuzu {

namespace {

namespace twips = widgets::twips;

// What the steps read: the component's inner size and the controls' current twips, all in
// single precision.
struct Sizes {
    float W;
    float H;
};

float left(const QWidget* w) {
    return float(twips::rect(w).left());
}
float width(const QWidget* w) {
    return float(twips::rect(w).width());
}
float height(const QWidget* w) {
    return float(twips::rect(w).height());
}

float tabStrip(const QTabWidget* tabs) {
    return float(twips::fromPixels(tabs->tabBar()->sizeHint().height()));
}

void move(QWidget* w, float l, float t, float wide, float high) {
    twips::setRect(w, QRectF(l, t, wide, high));
}

using Step = void (*)(const Form&, const Sizes&);

// One entry per assignment that stands on its own: an entry that would give a negative size
// changes nothing and the next one runs, reading whatever sizes the controls then have.
constexpr Step kSteps[] = {
    // 1. the caption bar
    [](const Form& f, const Sizes& s) { move(f.picCaption, 0, 0, s.W, height(f.picCaption)); },
    // 2. the caption label, centred vertically and inset by the same amount
    [](const Form& f, const Sizes&) {
        twips::adoptSize(f.lblCaption); // its text may have resized it while hidden
        const float m = (height(f.picCaption) - height(f.lblCaption)) / 2.0f;
        move(f.lblCaption, m, m, width(f.lblCaption), height(f.lblCaption));
    },
    // 3. the toolbar, keeping its own height
    [](const Form& f, const Sizes& s) { move(f.DS1, 0, height(f.picCaption), s.W, height(f.DS1)); },
    // 4. the tab control takes the rest
    [](const Form& f, const Sizes& s) {
        const float above = height(f.picCaption) + height(f.DS1);
        move(f.sstIndice, 0, above, s.W, s.H - above);
    },
    // 5.-8. the frames
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.FrameGenerale, width(f.sstIndice) - 80.0f);
    },
    [](const Form& f, const Sizes&) { twips::setWidth(f.FrameFormula, width(f.FrameGenerale)); },
    [](const Form& f, const Sizes&) { twips::setWidth(f.FrameValori, width(f.FrameGenerale)); },
    [](const Form& f, const Sizes&) {
        twips::setHeight(f.FrameGenerale, height(f.sstIndice) - tabStrip(f.sstIndice) - 40.0f);
    },
    [](const Form& f, const Sizes&) { twips::setHeight(f.FrameFormula, height(f.FrameGenerale)); },
    [](const Form& f, const Sizes&) { twips::setHeight(f.FrameValori, height(f.FrameGenerale)); },
    // 9.-10. the fields of "Generale"
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtDescrizione, width(f.sstIndice) - 4540.0f);
    },
    [](const Form& f, const Sizes&) { twips::setWidth(f.txtTesto, width(f.sstIndice) - 1780.0f); },
    // 11. the formula boxes leave room for their buttons
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtFormulaCondizione,
                        width(f.sstIndice) - 1780.0f - width(f.cmdFormula[0]));
    },
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtFormulaAllora, width(f.sstIndice) - 1780.0f - width(f.cmdFormula[0]));
    },
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtFormulaAltrimenti,
                        width(f.sstIndice) - 1780.0f - width(f.cmdFormula[0]));
    },
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtFormulaSimbolica,
                        width(f.sstIndice) - 1780.0f - width(f.cmdFormula[0]));
    },
    // 12. the buttons at the right end of their boxes
    [](const Form& f, const Sizes&) {
        twips::setLeft(f.cmdFormula[0],
                       left(f.txtFormulaCondizione) + width(f.txtFormulaCondizione));
    },
    [](const Form& f, const Sizes&) { twips::setLeft(f.cmdFormula[1], left(f.cmdFormula[0])); },
    [](const Form& f, const Sizes&) { twips::setLeft(f.cmdFormula[2], left(f.cmdFormula[0])); },
    // 13. the comments of "Valori"
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtDescrizioneScarso, width(f.sstIndice) - 4000.0f);
    },
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtDescrizioneNormale, width(f.sstIndice) - 4000.0f);
    },
    [](const Form& f, const Sizes&) {
        twips::setWidth(f.txtDescrizioneBuono, width(f.sstIndice) - 4000.0f);
    },
};

} // namespace

void ctlIndiciPrivate::layOut() {
    const Sizes sizes{float(twips::fromPixels(m_front.width())),
                      float(twips::fromPixels(m_front.height()))};
    for (Step step : kSteps)
        step(*m_form, sizes);
}

} // namespace K7X_DoruVevuzu
