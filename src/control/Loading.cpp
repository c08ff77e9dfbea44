// Loading the index row into the form, and emptying the form.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/ControlTable.h"
#include "form/Form.h"
#include "record/IndexRecord.h"
#include "record/Numbers.h"
#include "record/Statements.h"
#include "record/Steps.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <QCheckBox>

namespace K7X_DoruVevuzu {

namespace {

bool isNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

[[noreturn]] void nullRefused(const char* column) {
    fail(RuntimeError::InvalidUseOfNull,
         QStringLiteral("Uso non valido di Null (%1).").arg(QLatin1String(column)));
}

double numberOf(const Column& column, const QVariant& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        fail(RuntimeError::InvalidCall,
             QStringLiteral("Il valore di %1 non è un numero.").arg(QLatin1String(column.name)));
    return number;
}

// A number in the locale's form; a text value (another program may store "n/d" in a number
// column) is shown unchanged.
QString numberOrText(const Column& column, const QVariant& value) {
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return record::numberText(numberOf(column, value));
}

// The text a text box shows for a column's stored value.
QString shownText(const Column& column, const QVariant& value) {
    switch (column.into) {
    case Into::Text:
        if (isNull(value))
            nullRefused(column.name);
        return value.toString();
    case Into::TextOrEmpty:
        return isNull(value) ? QString() : value.toString();
    case Into::NumberOrEmpty:
        return isNull(value) ? QString() : numberOrText(column, value);
    default: // NumberOrZero
        return isNull(value) ? QStringLiteral("0") : numberOrText(column, value);
    }
}

void showListIndex(widgets::ComboField& list, const Column& column, const QVariant& value) {
    if (isNull(value)) {
        list.setCurrentIndex(-1);
        return;
    }
    bool ok = false;
    const int index = value.toInt(&ok);
    if (!ok || index < -1 || index >= list.count())
        fail(RuntimeError::InvalidCall, QStringLiteral("Valore di %1 non valido per l'elenco.")
                                            .arg(QLatin1String(column.name)));
    list.setCurrentIndex(index);
}

} // namespace

void ctlIndiciPrivate::LoadIndice() {
    refuseWhileWaiting();
    record::IndexRecord& row = record::existing(m_record);
    row.close();
    row.load(record::hostConnection(*global()), m_session->model(), m_session->code());
    m_session->opened();
    reloadFields();
    m_session->leaveAdding();
}

void ctlIndiciPrivate::ReadFields() {
    refuseWhileWaiting();
    const auto valueOf = [this](const char* column) {
        return record::existing(m_record).value(QLatin1String(column));
    };
    const auto show = [&](const Field& field) {
        const Column& column = *field.row->column;
        const QVariant value = valueOf(column.name);
        switch (column.into) {
        case Into::ListIndex:
            showListIndex(widgetOf<widgets::ComboField>(field), column, value);
            break;
        case Into::TickedWhenTrue:
            widgetOf<QCheckBox>(field).setCheckState(
                !isNull(value) && value.toBool() ? Qt::Checked : Qt::Unchecked);
            break;
        default:
            widgetOf<widgets::TextField>(field).setText(shownText(column, value));
        }
    };
    m_session->startReading();
    for (const Field& field : m_form->fields) {
        if (field.row->column && !record::skipOnFailure([&] { show(field); }))
            m_session->unread(field.bit);
    }
    record::skipOnFailure([&] {
        const QVariant standard = valueOf("KX09_STANDARD");
        if (isNull(standard))
            nullRefused("KX09_STANDARD");
        m_session->setStandard(standard.toBool());
    });
    m_session->read();
    record::skipOnFailure([&] { applyTools(m_form->tools, m_session->tools()); });
    record::skipOnFailure([&] { lockFields(false); });
}

void ctlIndiciPrivate::reloadFields() {
    if (m_session->adding())
        return;
    ReadFields();
    m_session->discard();
}

void ctlIndiciPrivate::UnloadIndice() {
    refuseWhileWaiting();
    record::existing(m_record).close();
    clearFields();
    m_session->discard();
}

void ctlIndiciPrivate::clearFields() {
    for (const Field& field : m_form->fields) {
        if (field.row->column && field.row->column->clearing != Clearing::Untouched)
            widgetOf<widgets::TextField>(field).setText(
                field.row->column->clearing == Clearing::Zero ? QStringLiteral("0") : QString());
    }
}

} // namespace K7X_DoruVevuzu
