// The form's control table: every control with its kind, container, place and size in twips,
// text and settings, where the Form keeps it and, for a field, its lock rule. Containers come
// before what they hold, and the fields are in the form's focus order. Constant data; nothing
// fails.
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
};

// The form's design size in twips.
inline constexpr QSizeF kDesignSize{10440, 7005};

std::span<const Control> controlTable();

} // namespace K7X_DoruVevuzu
