// One statement for PostgreSQL through libpq, its values apart from its text.
//
// The "?" marks of the text (outside quoted strings, quoted names and comments) become the
// server's $1, $2, ...; each value goes as the text the server reads for it (a byte array as
// bytes), with no type of its own, so the server gives it the type its place in the statement
// asks for, as it would a quoted literal. Results come back as text and are read by their type:
// booleans, integers, byte arrays, and numbers (real, double precision, numeric) as the text the
// server wrote, marked in Rows::serverNumbers. Owns its copies of the text and values only.
#pragma once

#include "data/Runner.h"

#include <QByteArray>

#include <functional>
#include <vector>

struct pg_conn;

namespace K7X_DoruVevuzu::data {

class PostgresStatement {
public:
    // Raises (kDatabaseErrorNumber) for a text holding NUL, which the server cannot store.
    PostgresStatement(const QString& sql, const QVariantList& values);

    // Runs it and reads every row. On failure `ifLost` runs first (it raises when the session
    // has ended), then the server's error is raised with its SQLSTATE.
    Rows runOn(pg_conn* connection, const std::function<void()>& ifLost) const;

    // The text with its marks numbered, as sent.
    const QByteArray& text() const { return m_text; }

private:
    QByteArray m_text;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    std::vector<bool> m_binary;
};

} // namespace K7X_DoruVevuzu::data
