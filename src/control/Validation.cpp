// Checking the form before it is saved.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/ControlTable.h"
#include "form/Form.h"
#include "record/Codes.h"
#include "record/Numbers.h"
#include "record/Statements.h"
#include "record/Text.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CTextUtil.h>

#include <algorithm>
#include <vector>

namespace K7X_DoruVevuzu {

namespace {

// Trims the box in place (spaces only) and gives its text read back.
QString trimBox(widgets::TextField& box) {
    box.setText(record::trimSpaces(box.text()));
    return box.text();
}

} // namespace

QString ctlIndiciPrivate::validateFields() {
    const Form& form = *m_form;
    if (m_session->checksDuplicate()) {
        // The index the form shows (being renamed, or just saved as new) is no duplicate of itself.
        if (record::codeUsed(record::hostConnection(*global()), m_session->model(),
                             record::trimSpaces(form.txtCodice->text()), m_session->ownCode()))
            return record::kCodeUsed;
    }
    if (trimBox(*form.txtCodice).isEmpty())
        return record::kCodeMissing;
    if (trimBox(*form.txtDescrizione).isEmpty())
        return QStringLiteral("Inserire la descrizione.");
    std::vector<const Field*> thresholds; // in the order they are tested
    for (const Field& field : form.fields)
        if (field.row->threshold)
            thresholds.push_back(&field);
    std::ranges::sort(thresholds, {}, [](const Field* f) { return f->row->threshold->order; });
    for (const Field* field : thresholds) {
        const QString value = trimBox(widgetOf<widgets::TextField>(*field));
        if (!value.isEmpty() && !record::parseNumber(value))
            return QString::fromUtf8(field->row->threshold->message);
    }

    // Normalises the formula in its box, then lets the formula engine check it.
    const auto checkFormula = [this](widgets::TextField& box) {
        box.setText(K7XBO_Global::CTextUtil::instance().NormalizeFormula(box.text()));
        QString formula = box.text();
        return formulaEngine().CheckFormula(formula);
    };
    if (!trimBox(*form.txtFormulaCondizione).isEmpty()) {
        if (const QString message = checkFormula(*form.txtFormulaCondizione); !message.isEmpty())
            return message;
    }
    if (trimBox(*form.txtFormulaAllora).isEmpty())
        return QStringLiteral("Inserire 'Formula allora'.");
    if (const QString message = checkFormula(*form.txtFormulaAllora); !message.isEmpty())
        return message;
    if (!trimBox(*form.txtFormulaAltrimenti).isEmpty())
        return checkFormula(*form.txtFormulaAltrimenti);
    if (!form.txtFormulaCondizione->text().isEmpty())
        return QStringLiteral("Inserire 'Formula altrimenti'.");
    return QString();
}

} // namespace K7X_DoruVevuzu
