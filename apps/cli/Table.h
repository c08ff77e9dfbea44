// Table: what a command prints, as a readable table or as JSON for scripts.
//
// The text form pads each column to its widest cell, two spaces apart, under a header line and a
// rule; a line break inside a cell shows as "↵"; a table with no row may say so in a line instead.
// The JSON form is an array with one object a row, keyed by the columns' keys. A table with no
// columns prints nothing.
#pragma once

#include <QList>
#include <QStringList>

#include <cstdio>

namespace cli {

// A column: its key in JSON, its title in the table.
struct Column {
    QString key;   // the JSON key
    QString title; // the text form's header
};

// The columns and the rows of a command's result.
struct Table {
    QList<Column> columns;
    QList<QStringList> rows; // one cell a column, in the columns' order
    QString none;            // the text form's line when there is no row ("": the bare header)
};

// Prints `table` as padded columns under their titles.
void printText(const Table& table, std::FILE* out);
// Prints `table` as a JSON array of objects.
void printJson(const Table& table, std::FILE* out);

} // namespace cli
