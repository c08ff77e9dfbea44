// The column table of KX09_INDICE: every column the component reads or writes, the control
// of the form that shows it, how its value goes into the form (ReadFields), how it comes out
// of the form (saveRecord) and what emptying the form does to it (clearFields). The three
// operations walk this one table: ReadFields and clearFields in table order, saveRecord in
// the order of each column's save step.
// Compile-time data only; no failures, no state.
#pragma once

#include "form/Form.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"

#include <QCheckBox>

#include <algorithm>
#include <array>
#include <type_traits>
#include <variant>

namespace K7X_DoruVevuzu::form {

// The control that shows a column, or none (the column lives in the instance state).
using Control = std::variant<std::monostate, widgets::TextField * Form::*,
                             widgets::ComboField * Form::*, QCheckBox * Form::*>;

// Into the form.
enum class Into {
    NotRead,        // selection only
    Text,           // the value as text; a Null fails the step
    TextOrEmpty,    // a Null gives the empty text
    NumberOrEmpty,  // a Null gives the empty text, else the number as locale text
    NumberOrZero,   // a Null gives "0", else the number as locale text
    ListIndex,      // a Null gives -1 (nothing selected), else the value as list index
    StandardFlag,   // the session's standard flag; a Null fails the step
    TickedWhenTrue, // True ticks the box; False and Null leave it not ticked
};

// Out of the form.
enum class Out {
    NewRowOnly,    // a new row only: the box's text, or the model code when there is no control
    Text,          // always: the box's text, an empty box giving "" (never Null)
    LevelValue,    // only when the box is numeric: the number as a double
    LevelComment,  // only together with the level value saved just before it
    SelectedIndex, // only when an entry is selected: its list index as a 16-bit integer
    NumberOrZero,  // numeric: the number as a double; any other text: the 16-bit integer 0
    TickedIsTrue,  // ticked gives True, not ticked and grayed give False
    Never,
};

// Emptying the form.
enum class Clearing { Untouched, Empty, Zero };

struct Column {
    const char* name;
    Control control;
    Into into;
    Out out;
    Clearing clearing;
    int saveStep; // position in saveRecord's order; 0 for a column it never writes
};

inline constexpr std::array<Column, 18> kColumns{{
    {"KX09_CODICEMODELLO_KX06", {}, Into::NotRead, Out::NewRowOnly, Clearing::Untouched, 1},
    {"KX09_CODICEINDICE", &Form::txtCodice, Into::Text, Out::NewRowOnly, Clearing::Empty, 2},
    {"KX09_DESCRIZIONE", &Form::txtDescrizione, Into::Text, Out::Text, Clearing::Empty, 3},
    {"KX09_TESTO", &Form::txtTesto, Into::TextOrEmpty, Out::Text, Clearing::Empty, 4},
    {"KX09_VALORESCARSO", &Form::txtValoreScarso, Into::NumberOrEmpty, Out::LevelValue,
     Clearing::Empty, 9},
    {"KX09_DESCRIZIONESCARSO", &Form::txtDescrizioneScarso, Into::TextOrEmpty, Out::LevelComment,
     Clearing::Untouched, 10},
    {"KX09_VALORENORMALE", &Form::txtValoreNormale, Into::NumberOrEmpty, Out::LevelValue,
     Clearing::Empty, 11},
    {"KX09_DESCRIZIONENORMALE", &Form::txtDescrizioneNormale, Into::TextOrEmpty, Out::LevelComment,
     Clearing::Untouched, 12},
    {"KX09_VALOREBUONO", &Form::txtValoreBuono, Into::NumberOrEmpty, Out::LevelValue,
     Clearing::Empty, 13},
    {"KX09_DESCRIZIONEBUONO", &Form::txtDescrizioneBuono, Into::TextOrEmpty, Out::LevelComment,
     Clearing::Untouched, 14},
    {"KX09_FORMULACONDIZIONE", &Form::txtFormulaCondizione, Into::TextOrEmpty, Out::Text,
     Clearing::Empty, 5},
    {"KX09_FORMULAALLORA", &Form::txtFormulaAllora, Into::TextOrEmpty, Out::Text, Clearing::Empty,
     6},
    {"KX09_FORMULAALTRIMENTI", &Form::txtFormulaAltrimenti, Into::TextOrEmpty, Out::Text,
     Clearing::Empty, 7},
    {"KX09_FORMULASIMBOLICA", &Form::txtFormulaSimbolica, Into::TextOrEmpty, Out::Text,
     Clearing::Empty, 8},
    {"KX09_GRAFICO", &Form::cmbGrafico, Into::ListIndex, Out::SelectedIndex, Clearing::Untouched,
     15},
    {"KX09_STANDARD", {}, Into::StandardFlag, Out::Never, Clearing::Untouched, 0},
    {"KX09_VALERR_FORMULA", &Form::txtValErr, Into::NumberOrZero, Out::NumberOrZero, Clearing::Zero,
     16},
    {"KX09_DEFEXPRELGEST", &Form::ChkRelGest, Into::TickedWhenTrue, Out::TickedIsTrue,
     Clearing::Untouched, 17},
}};

// The control of type T that shows a column (the table pairs each rule with its control type).
template <typename T> T& controlOf(const Form& form, const Column& column) {
    return *(form.*std::get<T * Form::*>(column.control));
}

// A column's bit in a set of columns (one bit a column, in table order).
inline quint32 bitOf(const Column& column) {
    return 1u << (&column - kColumns.data());
}
static_assert(kColumns.size() <= 32, "a set of columns is 32 bits");

// The bits of the columns that a control shows.
inline quint32 bitsShownBy(const Form& form, const QObject* control) {
    quint32 bits = 0;
    for (const Column& column : kColumns)
        std::visit(
            [&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), std::monostate>)
                    if (form.*member == control)
                        bits |= bitOf(column);
            },
            column.control);
    return bits;
}

// The columns that saveRecord writes, in its order.
inline constexpr auto kSaveOrder = [] {
    std::array<const Column*, kColumns.size() - 1> order{};
    auto next = order.begin();
    for (const Column& column : kColumns)
        if (column.saveStep > 0)
            *next++ = &column;
    std::ranges::sort(order, {}, &Column::saveStep);
    return order;
}();

// Every written column has its own step, 1 to N without gaps.
static_assert([] {
    int step = 0;
    for (const Column* column : kSaveOrder)
        if (column->saveStep != ++step)
            return false;
    return true;
}());

// A level's comment is saved right after that level's value, which decides whether it is.
static_assert(std::ranges::all_of(kSaveOrder, [](const Column* column) {
    if (column->out != Out::LevelComment)
        return true;
    const auto* at = std::ranges::find(kSaveOrder, column);
    return at != kSaveOrder.begin() && (*(at - 1))->out == Out::LevelValue;
}));

} // namespace K7X_DoruVevuzu::form
