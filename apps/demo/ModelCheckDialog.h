// ModelCheckDialog: what the model check found, in one tree grouped by kind (problems first, the
// information last), each group with its count, and the totals below.
//
// Double-clicking a formula's finding (or its group's place) hands that index's code to
// `openIndex`, which closes the dialog when it answers true. Owns its widgets only; nothing here
// fails.
#pragma once

#include <K7X_DoruVevuzu/ModelCheck.h>

#include <QDialog>

#include <functional>

namespace demo {

class ModelCheckDialog : public QDialog {
    Q_OBJECT
public:
    ModelCheckDialog(const QList<K7X_DoruVevuzu::ModelFinding>& findings, const QString& model,
                     std::function<bool(const QString&)> openIndex, QWidget* parent = nullptr);
    ~ModelCheckDialog() override;
};

} // namespace demo
