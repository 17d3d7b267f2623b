#pragma once
#include "mailer/document/control.h"

#include <initializer_list>
#include <vector>

namespace document {

/// One row of a design table, written as the page designs list their controls.
/// `shows`: a label's caption, the field of a text field or check box, "[x]" or "[ ]" for an
/// unbound check box. A line gives its end points (x1, y1, x2, y2) in the four numbers.
struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* shows;
    int left;
    int top;
    int width;
    int height;
    const char* style;
    const char* tag;
    bool visible = true;
};

constexpr bool Hidden = false;

/// The controls of a table's rows, each styled on top of `base`.
std::vector<Control> controlsFromRows(std::initializer_list<ControlRow> rows, const Style& base);

}  // namespace document
