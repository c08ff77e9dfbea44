// Table: what a command prints, as a readable table or as JSON for scripts.
//
// The text form pads each column to its widest cell, two spaces apart, under a header line and a
// rule; a line break inside a cell shows as "↵". The JSON form is an array with one object a row,
// keyed by the columns' keys. A table with no columns prints nothing.
#pragma once

#include <QList>
#include <QStringList>

#include <cstdio>

namespace cli {

struct Column {
    QString key;   // the JSON key
    QString title; // the text form's header
};

struct Table {
    QList<Column> columns;
    QList<QStringList> rows; // one cell a column, in the columns' order
};

void printText(const Table& table, std::FILE* out);
void printJson(const Table& table, std::FILE* out);

} // namespace cli
