#include "data/PostgresStatement.h"

#include <QDateTime>
#include <QLocale>

#include <libpq-fe.h>

#include <cmath>
#include <memory>

namespace K7X_DoruVevuzu::data {

namespace {

// Type numbers of the server's built-in types that are read as other than text.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26;
constexpr Oid kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

// "?" outside '...', "..." and comments becomes $1, $2, ...
QByteArray numberedMarks(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    QByteArray out;
    out.reserve(text.size() + 16);
    int mark = 0;
    char quote = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if ((quote == '-' && c == '\n') || (quote == '*' && c == '/' && text[i - 1] == '*'))
                quote = 0;
            else if (quote == c && (c == '\'' || c == '"'))
                quote = 0; // a doubled quote closes and opens again
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if ((c == '-' || c == '*') && i > 0 && text[i - 1] == (c == '-' ? '-' : '/')) {
            quote = c;
        } else if (c == '?') {
            out += '$' + QByteArray::number(++mark);
            continue;
        }
        out += c;
    }
    return out;
}

QByteArray textOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "true" : "false";
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::isnan(number))
            return "NaN";
        if (std::isinf(number))
            return number < 0 ? "-Infinity" : "Infinity";
        return QString::number(number, 'g', QLocale::FloatingPointShortest).toLatin1();
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QTime:
        return value.toTime().toString(Qt::ISODateWithMs).toLatin1();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs).toLatin1();
    default:
        return value.toString().toUtf8();
    }
}

QVariant valueOf(const char* text, int length, Oid type) {
    switch (type) {
    case kBool:
        return text[0] == 't';
    case kInt2:
    case kInt4:
        return QByteArray::fromRawData(text, length).toInt();
    case kInt8:
    case kOid:
        return QByteArray::fromRawData(text, length).toLongLong();
    case kBytea: {
        size_t size = 0;
        std::unique_ptr<unsigned char, decltype(&PQfreemem)> bytes(
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size), &PQfreemem);
        return QByteArray(reinterpret_cast<const char*>(bytes.get()), qsizetype(size));
    }
    default: // numbers too: the server's own text of them
        return QString::fromUtf8(text, length);
    }
}

} // namespace

PostgresStatement::PostgresStatement(const QString& sql, const QVariantList& values)
    : m_text(numberedMarks(sql)) {
    for (const QVariant& value : values) {
        m_null.push_back(value.isNull());
        m_binary.push_back(value.typeId() == QMetaType::QByteArray);
        m_values.push_back(value.isNull()    ? QByteArray()
                           : m_binary.back() ? value.toByteArray()
                                             : textOf(value));
        if (!m_binary.back() && m_values.back().contains('\0'))
            raise(kDatabaseErrorNumber,
                  QStringLiteral("Il testo contiene un carattere nullo, che il database non può "
                                 "memorizzare."));
    }
}

Rows PostgresStatement::runOn(PGconn* connection, const std::function<void()>& ifLost) const {
    const int count = int(m_values.size());
    std::vector<const char*> values(count);
    std::vector<int> lengths(count), formats(count);
    std::vector<Oid> types(count);
    for (int i = 0; i < count; ++i) {
        values[i] = m_null[i] ? nullptr : m_values[i].constData();
        lengths[i] = int(m_values[i].size());
        formats[i] = m_binary[i] ? 1 : 0;
        types[i] = m_binary[i] ? kBytea : 0;
    }
    const std::unique_ptr<PGresult, decltype(&PQclear)> result(
        PQexecParams(connection, m_text.constData(), count, types.data(), values.data(),
                     lengths.data(), formats.data(), 0),
        &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        ifLost();
        const QByteArray state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        bool numeric = false;
        const int code = state.toInt(&numeric);
        const char* message =
            result ? PQresultErrorMessage(result.get()) : PQerrorMessage(connection);
        raise(numeric ? code : kDatabaseErrorNumber,
              QStringLiteral("Errore del database: ") + QString::fromUtf8(message).trimmed());
    }

    Rows rows;
    const int width = PQnfields(result.get());
    rows.count = PQntuples(result.get());
    std::vector<Oid> columnTypes(width);
    for (int i = 0; i < width; ++i) {
        rows.columns.append(QString::fromUtf8(PQfname(result.get(), i)));
        columnTypes[i] = PQftype(result.get(), i);
        rows.serverNumbers.append(columnTypes[i] == kFloat4 || columnTypes[i] == kFloat8 ||
                                  columnTypes[i] == kNumeric);
    }
    rows.values.reserve(qsizetype(rows.count) * width);
    for (int row = 0; row < rows.count; ++row)
        for (int i = 0; i < width; ++i)
            rows.values.append(PQgetisnull(result.get(), row, i)
                                   ? QVariant()
                                   : valueOf(PQgetvalue(result.get(), row, i),
                                             PQgetlength(result.get(), row, i), columnTypes[i]));
    rows.affected = QByteArray(PQcmdTuples(result.get())).toLongLong();
    return rows;
}

} // namespace K7X_DoruVevuzu::data
