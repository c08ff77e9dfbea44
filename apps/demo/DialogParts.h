// The parts the demo's dialogs of places share: how a formula's place reads, and opening an index
// by double-clicking its item. Nothing here fails.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QTreeWidget;

namespace demo {

// A formula's place split for reading: "ROE.KX09_FORMULAALLORA" is index ROE, "Formula allora".
struct FormulaPlace {
    QString code;
    QString column;
};
FormulaPlace formulaPlace(const QString& place);

// Double-clicking an item of `tree` whose Qt::UserRole holds an index's code hands the code to
// `openIndex`; `dialog` is accepted when it answers true.
void openIndexOnDoubleClick(QDialog& dialog, QTreeWidget& tree,
                            std::function<bool(const QString&)> openIndex);

} // namespace demo
