// IndexList: the model's indices (code, description, standard flag) in a searchable table.
//
// Reads KX09_INDICE of one model on the host's connection; the search box filters on code and
// description as the user types. Owns its models; database failures show as an empty list.
#pragma once

#include <QSqlDatabase>
#include <QWidget>

class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace demo {

class IndexList : public QWidget {
    Q_OBJECT
public:
    explicit IndexList(const QSqlDatabase& db, QWidget* parent = nullptr);
    ~IndexList() override;

    void reload(const QString& model);
    bool select(const QString& code); // false when the list holds no such code
    QString currentCode() const;
    int count() const;
    QString codeAt(int row) const;

signals:
    void currentCodeChanged(const QString& code, const QString& previous);

private:
    QSqlDatabase m_db;
    QLineEdit* m_search;
    QTableView* m_view;
    QStandardItemModel* m_rows;
    QSortFilterProxyModel* m_filter;
    QString m_current;
};

} // namespace demo
