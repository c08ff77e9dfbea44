// Checking the form before it is saved.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "record/Codes.h"
#include "record/Numbers.h"
#include "record/Statements.h"
#include "record/Text.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CTextUtil.h>

#include <array>

namespace K7X_DoruVevuzu {

namespace {

// The threshold values, in the order they are tested (poor, good, normal).
struct ValueTest {
    widgets::TextField* Form::*box;
    const char* message;
};
constexpr std::array<ValueTest, 3> kValueTests{{
    {&Form::txtValoreScarso, "Inserire il valore scarso."},
    {&Form::txtValoreBuono, "Inserire il valore buono."},
    {&Form::txtValoreNormale, "Inserire il valore normale."},
}};

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
    for (const ValueTest& test : kValueTests) {
        const QString value = trimBox(*(form.*test.box));
        if (!value.isEmpty() && !record::parseNumber(value))
            return QString::fromUtf8(test.message);
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
