#include "ReferencesDialog.h"

#include "DialogParts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace demo {

ReferencesDialog::ReferencesDialog(const QList<K7X_DoruVevuzu::IndexReference>& references,
                                   const QString& title, const QString& question,
                                   std::function<bool(const QString&)> openIndex, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* tree = new QTreeWidget(this);
    tree->setObjectName(QStringLiteral("references"));
    tree->setHeaderLabels(
        {QStringLiteral("Posizione"), QStringLiteral("Prima"), QStringLiteral("Dopo")});
    tree->setColumnHidden(2, question.isEmpty());
    // Formula groups carry their index's code (Qt::UserRole), and so do their places.
    QTreeWidgetItem* group = nullptr;
    QString groupName;
    int counts[2][2] = {}; // [formula][groups, places]
    for (const K7X_DoruVevuzu::IndexReference& reference : references) {
        const bool formula = reference.document.isEmpty();
        const FormulaPlace index = formula ? formulaPlace(reference.place) : FormulaPlace();
        const QString name = formula ? QStringLiteral("Indice %1").arg(index.code)
                                     : QStringLiteral("Documento %1").arg(reference.document);
        if (!group || name != groupName) {
            group = new QTreeWidgetItem(tree, {name});
            group->setData(0, Qt::UserRole, index.code);
            groupName = name;
            ++counts[formula][0];
        }
        // A formula's place is its column.
        const QString where = formula ? index.column : reference.place;
        auto* place = new QTreeWidgetItem(group, {where, reference.before, reference.after});
        place->setData(0, Qt::UserRole, group->data(0, Qt::UserRole));
        ++counts[formula][1];
    }
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        item->setText(0, QStringLiteral("%1 (%2)").arg(item->text(0)).arg(item->childCount()));
    }
    tree->expandAll();
    tree->header()->resizeSections(QHeaderView::ResizeToContents);
    auto* totals = new QLabel(QStringLiteral("Formule: %1 (indici: %2) — campi dei documenti: %3 "
                                             "(documenti: %4)")
                                  .arg(counts[1][1])
                                  .arg(counts[1][0])
                                  .arg(counts[0][1])
                                  .arg(counts[0][0]),
                              this);
    totals->setObjectName(QStringLiteral("totals"));
    auto* buttons = new QDialogButtonBox(
        question.isEmpty() ? QDialogButtonBox::Close : QDialogButtonBox::Yes | QDialogButtonBox::No,
        this);
    if (question.isEmpty()) {
        buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Chiudi"));
    } else {
        buttons->button(QDialogButtonBox::Yes)->setText(QStringLiteral("Sì"));
        buttons->button(QDialogButtonBox::No)->setDefault(true);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree);
    layout->addWidget(totals);
    if (!question.isEmpty())
        layout->addWidget(new QLabel(question, this));
    layout->addWidget(buttons);
    resize(1000, 420);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    openIndexOnDoubleClick(*this, *tree, std::move(openIndex));
}

ReferencesDialog::~ReferencesDialog() = default;

} // namespace demo
