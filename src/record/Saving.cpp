// Writing the form back into the index row.
#include "control/ctlIndiciPrivate.h"

#include "control/Errors.h"
#include "data/Recordset.h"
#include "record/Columns.h"
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

void requireCurrentRow(const data::Recordset& records, const QString& model, const QString& code) {
    if (records.Eof())
        fail(kRowMissing, QStringLiteral("L'indice \"%1\" del modello \"%2\" non esiste nel "
                                         "database: impossibile salvarlo.")
                              .arg(code, model));
}

// Writes the form's columns into the edit buffer, in the order of their save steps. An
// existing row keeps the `unread` columns as stored: their boxes hold another index's values.
void writeColumns(data::Recordset& records, const Form& form, const QString& modelCode, bool newRow,
                  quint32 unread) {
    bool levelWritten = false;
    for (const record::Column* column : record::kSaveOrder) {
        const QString name = QLatin1String(column->name);
        if (!newRow && (unread & record::bitOf(*column))) {
            levelWritten = false;
            continue;
        }
        switch (column->out) {
        case record::Out::NewRowOnly:
            if (newRow)
                records.setField(name,
                                 std::holds_alternative<std::monostate>(column->control)
                                     ? modelCode
                                     : record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::Text:
            records.setField(name, record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::LevelValue: {
            const auto number =
                record::parseNumber(record::controlOf<widgets::TextField>(form, *column).text());
            levelWritten = number.has_value();
            if (levelWritten)
                records.setField(name, *number);
            break;
        }
        case record::Out::LevelComment:
            if (levelWritten)
                records.setField(name, record::controlOf<widgets::TextField>(form, *column).text());
            break;
        case record::Out::SelectedIndex: {
            const int index = record::controlOf<widgets::ComboField>(form, *column).currentIndex();
            if (index != -1)
                records.setField(name, QVariant::fromValue(qint16(index)));
            break;
        }
        case record::Out::NumberOrZero: {
            const auto number =
                record::parseNumber(record::controlOf<widgets::TextField>(form, *column).text());
            records.setField(name, number ? QVariant(*number) : QVariant::fromValue(qint16(0)));
            break;
        }
        case record::Out::TickedIsTrue:
            records.setField(name, record::controlOf<QCheckBox>(form, *column).checkState() ==
                                       Qt::Checked);
            break;
        case record::Out::Never:
            break;
        }
    }
}

} // namespace

// A failed save cancels its pending row or edit in the record set, so the entries stay on the
// form only and a later save writes them once; the failure then goes on to the caller.
void ctlIndiciPrivate::saveRecord() {
    data::Recordset& records = record::existing(m_records);
    const workflow::EditSession& session = *m_session;
    if (records.State() == data::Recordset::adStateClosed) {
        // An existing index is selected by both codes, and only when the form shows that index,
        // so no other row can be written.
        if (session.showsOtherIndex())
            fail(kOtherIndex,
                 QStringLiteral("Il modulo mostra l'indice \"%1\" del modello \"%2\", "
                                "non \"%3\": caricare l'indice prima di salvarlo.")
                     .arg(session.shown()->code, session.shown()->model, session.code()));
        record::openForEditing(records, record::hostConnection(*global()),
                               session.adding()
                                   ? record::selectModel(session.model())
                                   : record::selectIndex(session.model(), session.code()));
    }
    try {
        if (session.adding())
            records.AddNew();
        else
            requireCurrentRow(records, session.model(), session.code());
        writeColumns(records, *m_form, session.model(), session.adding(), session.unreadColumns());
        records.Update();
        m_session->saved(records.Field(QStringLiteral("KX09_CODICEINDICE")).toString());
    } catch (...) {
        if (records.editing())
            records.CancelUpdate();
        throw;
    }
    lockFields(false);
    m_session->discard();
}

} // namespace K7X_DoruVevuzu
