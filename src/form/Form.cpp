// Building the form: every control of the control table, made, named, given its face and its
// twips, in the table's order, which is the focus order.
#include "form/Form.h"

#include "form/ControlTable.h"
#include "form/Fonts.h"
#include "form/WidgetFactory.h"
#include "widgets/Twips.h"

#include <QHash>

namespace K7X_DoruVevuzu {

namespace {

namespace twips = widgets::twips;

// The caption label keeps its design size until the component's caption is written.
bool sizedToText(Kind kind) {
    return kind == Kind::Label;
}

} // namespace

Form buildForm(QWidget* owner) {
    Form form;
    QHash<QString, QWidget*> made;
    owner->setFont(fontOf(Face::FormDefault));
    for (const Control& c : controlTable()) {
        QWidget* container = c.container ? made.value(QLatin1String(c.container)) : owner;
        QWidget* w = makeControl(c, container);
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
        if (c.lock)
            form.locks.emplace_back(w, *c.lock);
    }
    owner->resize(qRound(kDesignSize.width() / twips::kPerPixel),
                  qRound(kDesignSize.height() / twips::kPerPixel));
    return form;
}

} // namespace K7X_DoruVevuzu
