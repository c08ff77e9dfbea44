#include "IndexList.h"

#include "data/Runner.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace demo {

IndexList::IndexList(const QSqlDatabase& db, QWidget* parent)
    : QWidget(parent), m_db(db), m_search(new QLineEdit(this)), m_view(new QTableView(this)),
      m_rows(new QStandardItemModel(this)), m_filter(new QSortFilterProxyModel(this)) {
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(QStringLiteral("Cerca per codice o descrizione…"));
    m_search->setClearButtonEnabled(true);
    m_filter->setSourceModel(m_rows);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_view->setObjectName(QStringLiteral("indexList"));
    m_view->setModel(m_filter);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_search);
    layout->addWidget(m_view);
    connect(m_search, &QLineEdit::textChanged, m_filter,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const QString code = current.siblingAtColumn(0).data().toString();
                if (!current.isValid() || code == m_current)
                    return;
                const QString previous = m_current;
                m_current = code;
                emit currentCodeChanged(code, previous);
            });
}

IndexList::~IndexList() = default;

void IndexList::reload(const QString& model) {
    K7X_DoruVevuzu::data::Rows rows;
    try {
        rows = K7X_DoruVevuzu::data::run(
            m_db,
            QStringLiteral(
                "SELECT KX09_CODICEINDICE, KX09_DESCRIZIONE, KX09_STANDARD FROM "
                "KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=? ORDER BY KX09_CODICEINDICE"),
            {model});
    } catch (const K7X_DoruVevuzu::RuntimeError& failure) {
        qWarning("%s", failure.what()); // the list stays empty; the component shows the failure
    }
    const QSignalBlocker block(m_view->selectionModel());
    m_rows->clear();
    m_rows->setHorizontalHeaderLabels(
        {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Standard")});
    for (int row = 0; row < rows.count; ++row) {
        auto* standard = new QStandardItem(rows.at(row, 2).toBool() ? QStringLiteral("sì") : "");
        m_rows->appendRow({new QStandardItem(rows.at(row, 0).toString()),
                           new QStandardItem(rows.at(row, 1).toString()), standard});
    }
    m_view->resizeColumnsToContents();
    m_current.clear();
}

bool IndexList::select(const QString& code) {
    m_search->clear();
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        const QModelIndex index = m_filter->index(row, 0);
        if (index.data().toString() == code) {
            const QSignalBlocker block(m_view->selectionModel());
            m_view->setCurrentIndex(index);
            m_current = code;
            return true;
        }
    }
    return false;
}

QString IndexList::currentCode() const {
    return m_current;
}
int IndexList::count() const {
    return m_rows->rowCount();
}
QString IndexList::codeAt(int row) const {
    return m_rows->item(row, 0)->text();
}

} // namespace demo
