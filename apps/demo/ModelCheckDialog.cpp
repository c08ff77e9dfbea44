#include "ModelCheckDialog.h"

#include "DialogParts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace demo {

namespace {

using K7X_DoruVevuzu::ModelFinding;

// A group's name: what its findings are.
QString kindName(ModelFinding::Kind kind) {
    switch (kind) {
    case ModelFinding::Kind::FormulaError:
        return QStringLiteral("Formule errate");
    case ModelFinding::Kind::UnknownIndex:
        return QStringLiteral("Riferimenti a indici inesistenti");
    case ModelFinding::Kind::FieldNotRewritable:
        return QStringLiteral("Campi che l'aggiornamento non può riscrivere");
    case ModelFinding::Kind::DocumentProblem:
        return QStringLiteral("Documenti mancanti, illeggibili o danneggiati");
    case ModelFinding::Kind::LockFile:
        return QStringLiteral("File di blocco rimasti");
    case ModelFinding::Kind::UnfinishedRename:
        return QStringLiteral("Rinomine interrotte");
    case ModelFinding::Kind::UnlistedDocument:
        break;
    }
    return QStringLiteral("Documenti non elencati (informazione)");
}

// Where a finding stands: an index's formula, or a document and its story.
QString whereOf(const ModelFinding& finding) {
    if (finding.document.isEmpty() && !finding.place.isEmpty()) {
        const FormulaPlace formula = formulaPlace(finding.place);
        return QStringLiteral("Indice %1 — %2").arg(formula.code, formula.column);
    }
    return finding.place.isEmpty() ? finding.document
                                   : QStringLiteral("%1 — %2").arg(finding.document, finding.place);
}

// The code of the index whose formula a finding is about; empty for a document's.
QString indexOf(const ModelFinding& finding) {
    return finding.document.isEmpty() ? formulaPlace(finding.place).code : QString();
}

} // namespace

ModelCheckDialog::ModelCheckDialog(const QList<ModelFinding>& findings, const QString& model,
                                   std::function<bool(const QString&)> openIndex, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Verifica del modello «%1»").arg(model));
    auto* tree = new QTreeWidget(this);
    tree->setObjectName(QStringLiteral("findings"));
    tree->setHeaderLabels(
        {QStringLiteral("Dove"), QStringLiteral("Testo"), QStringLiteral("Problema")});
    std::map<int, QTreeWidgetItem*> groups; // by kind, information last
    int problems = 0;
    for (const ModelFinding& finding : findings) {
        const bool information = finding.kind == ModelFinding::Kind::UnlistedDocument;
        QTreeWidgetItem*& group = groups[information ? 100 : int(finding.kind)];
        if (!group)
            group = new QTreeWidgetItem({kindName(finding.kind)});
        auto* item = new QTreeWidgetItem(group, {whereOf(finding), finding.text, finding.message});
        item->setData(0, Qt::UserRole, indexOf(finding));
        problems += information ? 0 : 1;
    }
    for (const auto& [kind, group] : groups) {
        group->setText(0, QStringLiteral("%1 (%2)").arg(group->text(0)).arg(group->childCount()));
        tree->addTopLevelItem(group);
    }
    tree->expandAll();
    tree->header()->resizeSections(QHeaderView::ResizeToContents);
    auto* totals = new QLabel(findings.isEmpty()
                                  ? QStringLiteral("Il modello è integro: nessun problema trovato.")
                                  : QStringLiteral("Problemi: %1 — informazioni: %2")
                                        .arg(problems)
                                        .arg(findings.size() - problems),
                              this);
    totals->setObjectName(QStringLiteral("totals"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Chiudi"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree);
    layout->addWidget(totals);
    layout->addWidget(buttons);
    resize(1000, 420);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    openIndexOnDoubleClick(*this, *tree, std::move(openIndex));
}

ModelCheckDialog::~ModelCheckDialog() = default;

} // namespace demo
