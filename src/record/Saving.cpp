// Writing the form back into the index row.
#include "control/ctlIndiciPrivate.h"

#include "control/Errors.h"
#include "record/Columns.h"
#include "record/IndexRecord.h"
#include "record/Numbers.h"
#include "record/Statements.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <QCheckBox>

namespace K7X_DoruVevuzu {

namespace {

// The row of the index shown on the form is gone (deleted by another user, or never stored).
constexpr qint32 kRowMissing = RuntimeError::ObjectError + 0x0909;
// The form shows another index than the one the host named (its LoadIndice failed).
constexpr qint32 kOtherIndex = RuntimeError::ObjectError + 0x090A;

void requireCurrentRow(const record::IndexRecord& row, const QString& model, const QString& code) {
    if (!row.hasRow())
        fail(kRowMissing, QStringLiteral("L'indice \"%1\" del modello \"%2\" non esiste nel "
                                         "database: impossibile salvarlo.")
                              .arg(code, model));
}

// The form's columns to write, in the order of their save steps. An existing row keeps the
// `unread` columns as stored: their boxes hold another index's values.
record::IndexRecord::Values columnsToWrite(const Form& form, const QString& modelCode, bool newRow,
                                           quint32 unread) {
    record::IndexRecord::Values values;
    const auto write = [&values](const char* column, const QVariant& value) {
        values.append({QLatin1String(column), value});
    };
    bool levelWritten = false;
    for (const record::Column* column : record::kSaveOrder) {
        const char* name = column->name;
        if (!newRow && (unread & record::bitOf(*column))) {
            levelWritten = false;
            continue;
        }
        switch (column->out) {
        case record::Out::NewRowOnly:
            if (newRow)
                write(name, std::holds_alternative<std::monostate>(column->control)
                                ? modelCode
                                : record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::Text:
            write(name, record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::LevelValue: {
            const auto number =
                record::parseNumber(record::controlOf<widgets::TextField>(form, *column).text());
            levelWritten = number.has_value();
            if (levelWritten)
                write(name, *number);
            break;
        }
        case record::Out::LevelComment:
            if (levelWritten)
                write(name, record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::SelectedIndex: {
            const int index = record::controlOf<widgets::ComboField>(form, *column).currentIndex();
            if (index != -1)
                write(name, QVariant::fromValue(qint16(index)));
            break;
        }
        case record::Out::NumberOrZero: {
            const auto number =
                record::parseNumber(record::controlOf<widgets::TextField>(form, *column).text());
            write(name, number ? QVariant(*number) : QVariant::fromValue(qint16(0)));
            break;
        }
        case record::Out::TickedIsTrue:
            write(name, record::controlOf<QCheckBox>(form, *column).checkState() == Qt::Checked);
            break;
        case record::Out::Never:
            break;
        }
    }
    return values;
}

} // namespace

// A failed save writes nothing: the entries stay on the form only and a later save writes them
// once; the failure goes on to the caller.
void ctlIndiciPrivate::saveRecord() {
    record::IndexRecord& row = record::existing(m_record);
    const workflow::EditSession& session = *m_session;
    if (!row.isOpen()) {
        // An existing index is selected by both codes, and only when the form shows that index,
        // so no other row can be written.
        if (session.showsOtherIndex())
            fail(kOtherIndex,
                 QStringLiteral("Il modulo mostra l'indice \"%1\" del modello \"%2\", "
                                "non \"%3\": caricare l'indice prima di salvarlo.")
                     .arg(session.shown()->code, session.shown()->model, session.code()));
        const QSqlDatabase db = record::hostConnection(*global());
        if (session.adding())
            row.open(db);
        else
            row.load(db, session.model(), session.code());
    }
    const auto values =
        columnsToWrite(*m_form, session.model(), session.adding(), session.unreadColumns());
    if (session.adding()) {
        row.insert(values);
    } else {
        requireCurrentRow(row, session.model(), session.code());
        row.update(values);
    }
    m_session->saved(row.value(record::kCodeColumn).toString());
    lockFields(false);
    m_session->discard();
}

} // namespace K7X_DoruVevuzu
