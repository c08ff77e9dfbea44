#include "Table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace cli {

namespace {

// A cell on one line: each line break shows as "↵".
QString oneLine(const QString& cell) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return QString(cell).replace(lineBreak, QStringLiteral("↵"));
}

// One line of the table, each cell padded to its column's width, with no trailing spaces.
void printLine(const QStringList& cells, const QList<qsizetype>& widths, std::FILE* out) {
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i)
        line += (i ? QStringLiteral("  ") : QString()) + cells[i].leftJustified(widths[i]);
    while (line.endsWith(u' '))
        line.chop(1);
    std::fprintf(out, "%s\n", line.toUtf8().constData());
}

} // namespace

void printText(const Table& table, std::FILE* out) {
    if (table.columns.isEmpty())
        return;
    if (table.rows.isEmpty() && !table.none.isEmpty()) {
        std::fprintf(out, "%s\n", table.none.toUtf8().constData());
        return;
    }
    QStringList titles;
    QList<qsizetype> widths;
    for (const Column& column : table.columns) {
        titles << column.title;
        widths << column.title.size();
    }
    QList<QStringList> rows;
    for (const QStringList& row : table.rows) {
        QStringList cells;
        for (qsizetype i = 0; i < row.size(); ++i) {
            cells << oneLine(row[i]);
            widths[i] = std::max(widths[i], cells.last().size());
        }
        rows << cells;
    }
    printLine(titles, widths, out);
    QStringList rules;
    for (const qsizetype width : widths)
        rules << QString(width, u'-');
    printLine(rules, widths, out);
    for (const QStringList& row : rows)
        printLine(row, widths, out);
}

void printJson(const Table& table, std::FILE* out) {
    if (table.columns.isEmpty())
        return;
    QJsonArray array;
    for (const QStringList& row : table.rows) {
        QJsonObject object;
        for (qsizetype i = 0; i < row.size(); ++i)
            object.insert(table.columns[i].key, row[i]);
        array.append(object);
    }
    std::fprintf(out, "%s", QJsonDocument(array).toJson().constData());
}

} // namespace cli
