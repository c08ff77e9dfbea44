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
    int columns = 0;
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
        if (c.lock || c.column)
            form.fields.push_back({&c, w, c.column ? 1u << columns++ : 0u});
    }
    owner->resize(qRound(kDesignSize.width() / twips::kPerPixel),
                  qRound(kDesignSize.height() / twips::kPerPixel));
    Q_ASSERT(columns <= 32); // a set of columns is 32 bits
    return form;
}

quint32 columnBitsOf(const Form& form, const QObject* widget) {
    for (const Field& field : form.fields)
        if (field.widget == widget)
            return field.bit;
    return 0;
}

} // namespace K7X_DoruVevuzu
