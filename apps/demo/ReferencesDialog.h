// ReferencesDialog: the places that refer to an index, for "Dove è usato" and for the preview of
// a rename, in one tree: formulas grouped by index, document fields by document, each group with
// its count, and the totals below.
//
// A preview (a question given) shows what each place becomes ("Dopo") and asks the question with
// Sì / No; the usage shows the places as they stand, and double-clicking a formula (or its
// index) hands that index's code to `openIndex`, which closes the dialog when it answers true.
// Owns its widgets only; nothing here fails.
#pragma once

#include <K7X_DoruVevuzu/IndexRename.h>

#include <QDialog>

#include <functional>

namespace demo {

class ReferencesDialog : public QDialog {
    Q_OBJECT
public:
    ReferencesDialog(const QList<K7X_DoruVevuzu::IndexReference>& references, const QString& title,
                     const QString& question, std::function<bool(const QString&)> openIndex,
                     QWidget* parent = nullptr);
    ~ReferencesDialog() override;
};

} // namespace demo
