// Focus order: Tab and Shift+Tab run through the fields across the tabs, bringing the tab of
// the field they reach to the front.
#include "control/ctlIndiciPrivate.h"

#include "form/Form.h"

#include <QApplication>
#include <QTabWidget>

#include <algorithm>

namespace K7X_DoruVevuzu {

bool ctlIndiciPrivate::moveFocus(bool next) {
    const std::vector<QWidget*>& order = m_form->focusOrder;
    const QWidget* focus = QApplication::focusWidget();
    const auto at = std::find_if(order.begin(), order.end(), [focus](const QWidget* field) {
        return focus && (field == focus || field->isAncestorOf(focus));
    });
    const int step = next ? 1 : -1;
    for (auto i = at - order.begin() + step;
         at != order.end() && i >= 0 && i < qsizetype(order.size()); i += step) {
        QWidget* field = order[i];
        if (!field->isEnabled() || !(field->focusPolicy() & Qt::TabFocus))
            continue; // a formula button while the fields are locked
        QTabWidget* tabs = m_form->sstIndice;
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page)->isAncestorOf(field))
                tabs->setCurrentIndex(page);
        }
        field->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return false; // past the first or the last field, or from a control that is no field
}

} // namespace K7X_DoruVevuzu
