#include "form/WidgetFactory.h"

#include "form/ControlTable.h"
#include "form/Form.h"
#include "form/Tools.h"
#include "record/Numbers.h"
#include "widgets/CaptionBar.h"
#include "widgets/CheckField.h"
#include "widgets/ComboField.h"
#include "widgets/FormulaButton.h"
#include "widgets/GradientFrame.h"
#include "widgets/ToolBand.h"

#include <QLabel>
#include <QTabWidget>

namespace K7X_DoruVevuzu {

namespace {

using widgets::TextField;

const QColor kNavy{0, 0, 128};
const QColor kLightBlue{171, 196, 252};

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

} // namespace

QWidget* makeControl(const Control& c, QWidget* container) {
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

} // namespace K7X_DoruVevuzu
