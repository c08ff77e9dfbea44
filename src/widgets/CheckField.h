// CheckField: the form's tri-state check box. The user's click and Space toggle only between
// unticked and ticked (a grey box becomes ticked); the grey state comes only from code, as
// loading a stored state 2 would set it. Nothing here fails. GUI thread only.
#pragma once

#include <QCheckBox>

namespace K7X_DoruVevuzu::widgets {

class CheckField : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckField(QWidget* parent = nullptr) : QCheckBox(parent) { setTristate(true); }

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

} // namespace K7X_DoruVevuzu::widgets
