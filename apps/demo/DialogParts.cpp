#include "DialogParts.h"

#include <QDialog>
#include <QTreeWidget>

namespace demo {

FormulaPlace formulaPlace(const QString& place) {
    const qsizetype dot = place.lastIndexOf(u'.');
    return {place.left(dot),
            QStringLiteral("Formula %1")
                .arg(place.mid(dot + 1).remove(QStringLiteral("KX09_FORMULA")).toLower())};
}

void openIndexOnDoubleClick(QDialog& dialog, QTreeWidget& tree,
                            std::function<bool(const QString&)> openIndex) {
    QObject::connect(&tree, &QTreeWidget::itemDoubleClicked, &dialog,
                     [&dialog, openIndex = std::move(openIndex)](QTreeWidgetItem* item) {
                         const QString code = item->data(0, Qt::UserRole).toString();
                         if (openIndex && !code.isEmpty() && openIndex(code))
                             dialog.accept();
                     });
}

} // namespace demo
