// Writing the form back into the index row.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/ControlTable.h"
#include "form/Form.h"
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
// The form shows another index than the one the host named (its LoadIndice failed, or ran while
// adding).
constexpr qint32 kOtherIndex = RuntimeError::ObjectError + 0x090A;

// Refuses a save of an existing index while the form shows another one: the host's LoadIndice
// failed, or was called while adding, so the entries belong to no row of the host's index.
void refuseOtherIndex(const workflow::EditSession& session) {
    if (session.showsOtherIndex())
        fail(kOtherIndex, QStringLiteral("Il modulo mostra l'indice \"%1\" del modello \"%2\", "
                                         "non \"%3\": caricare l'indice prima di salvarlo.")
                              .arg(session.shown()->code, session.shown()->model, session.code()));
}

void requireCurrentRow(const record::IndexRecord& row, const workflow::EditSession& session) {
    if (row.hasRow())
        return;
    refuseOtherIndex(session);
    fail(kRowMissing, QStringLiteral("L'indice \"%1\" del modello \"%2\" non esiste nel "
                                     "database: impossibile salvarlo.")
                          .arg(session.code(), session.model()));
}

// The form's columns to write, in the form's order, a new row's model code first. An existing row
// keeps the `unread` columns as stored: their boxes hold another index's values.
record::IndexRecord::Values columnsToWrite(const Form& form, const QString& modelCode, bool newRow,
                                           quint32 unread) {
    record::IndexRecord::Values values;
    if (newRow)
        values.append({record::kModelColumn, modelCode});
    bool levelWritten = false;
    for (const Field& field : form.fields) {
        if (!field.row->column)
            continue;
        const Column& column = *field.row->column;
        const auto write = [&](const QVariant& value) {
            values.append({QLatin1String(column.name), value});
        };
        if (!newRow && (unread & field.bit)) {
            levelWritten = false;
            continue;
        }
        switch (column.out) {
        case Out::NewRowOnly:
            if (newRow)
                write(widgetOf<widgets::TextField>(field).text());
            break;
        case Out::Text:
            write(widgetOf<widgets::TextField>(field).text());
            break;
        case Out::LevelValue: {
            const auto number = record::parseNumber(widgetOf<widgets::TextField>(field).text());
            levelWritten = number.has_value();
            if (levelWritten)
                write(*number);
            break;
        }
        case Out::LevelComment:
            if (levelWritten)
                write(widgetOf<widgets::TextField>(field).text());
            break;
        case Out::SelectedIndex: {
            const int index = widgetOf<widgets::ComboField>(field).currentIndex();
            if (index != -1)
                write(QVariant::fromValue(qint16(index)));
            break;
        }
        case Out::NumberOrZero: {
            const auto number = record::parseNumber(widgetOf<widgets::TextField>(field).text());
            write(number ? QVariant(*number) : QVariant::fromValue(qint16(0)));
            break;
        }
        case Out::TickedIsTrue:
            write(widgetOf<QCheckBox>(field).checkState() == Qt::Checked);
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
        refuseOtherIndex(session);
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
        requireCurrentRow(row, session);
        row.update(values);
    }
    m_session->saved(row.value(record::kCodeColumn).toString());
    lockFields(false);
    m_session->discard();
}

} // namespace K7X_DoruVevuzu
