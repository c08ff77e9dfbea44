// The form's control table, the one table of the form's fields: every control with its kind,
// container, place and size in twips, text and settings (the typing rule of numbers among them),
// where the Form keeps it and, for a field, its lock rule, the column of KX09_INDICE it shows
// with how that column is read, saved and cleared, and a threshold's validation. Containers come
// before what they hold, and the fields are in the form's focus order, which is also the order
// the columns are read, saved and cleared in. Constant data; nothing fails.
#pragma once

#include "form/Fonts.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <QRectF>
#include <QSizeF>

#include <optional>
#include <span>

namespace K7X_DoruVevuzu {

struct Form;

// What a control is.
enum class Kind {
    Bar,
    Caption,
    Band,
    Tabs,
    Frame,
    Label,
    WrappedLabel,
    Text,
    Combo,
    Check,
    Button
};

// How a control looks and what it takes.
struct Settings {
    Face face = Face::FormDefault;
    int maxLength = 0;
    bool multiLine = false;
    widgets::TextField::ScrollBars scrollBars = widgets::TextField::ScrollBars::None;
    bool rightAligned = false;
    bool numeric = false; // the typing rule of numbers
    bool locked = false;
};

// Into the form: how a stored value is shown.
enum class Into {
    Text,           // the value as text; a Null fails the step
    TextOrEmpty,    // a Null gives the empty text
    NumberOrEmpty,  // a Null gives the empty text, else the number as locale text
    NumberOrZero,   // a Null gives "0", else the number as locale text
    ListIndex,      // a Null gives -1 (nothing selected), else the value as list index
    TickedWhenTrue, // True ticks the box; False and Null leave it not ticked
};

// Out of the form: what a save writes.
enum class Out {
    NewRowOnly,    // a new row only: the box's text
    Text,          // always: the box's text, an empty box giving "" (never Null)
    LevelValue,    // only when the box is numeric: the number as a double
    LevelComment,  // only together with the level value saved just before it
    SelectedIndex, // only when an entry is selected: its list index as a 16-bit integer
    NumberOrZero,  // numeric: the number as a double; any other text: the 16-bit integer 0
    TickedIsTrue,  // ticked gives True, not ticked and grayed give False
};

// Emptying the form.
enum class Clearing { Untouched, Empty, Zero };

// A field's column of KX09_INDICE.
struct Column {
    const char* name;
    Into into;
    Out out;
    Clearing clearing;
};

// A threshold's validation: its place in the order the thresholds are tested, and its message.
struct Threshold {
    int order;
    const char* message;
};

// One row of the table.
struct Control {
    const char* name;
    Kind kind;
    const char* container; // nullptr: the component itself; a Frame's container is a tab control
    QRectF twips;          // left, top, width, height, relative to the container
    const char* text;      // a Frame's text is its tab's caption; a field's is its initial value
    Settings settings;
    void (*bind)(Form&, QWidget*); // where the Form keeps it; nullptr when nothing addresses it
    std::optional<workflow::LockRule> lock{}; // a field's: when the user may change it
    std::optional<Column> column{};
    std::optional<Threshold> threshold{};
};

// The form's design size in twips.
inline constexpr QSizeF kDesignSize{10440, 7005};

std::span<const Control> controlTable();

} // namespace K7X_DoruVevuzu
