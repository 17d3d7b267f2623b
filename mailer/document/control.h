#pragma once
#include "mailer/document/style.h"

#include <QImage>
#include <QString>

namespace document {

enum class ControlKind {
    Label,       ///< prints its caption
    Field,       ///< prints the value of its bound field
    PageNumber,  ///< prints the current page number of the report's run
    PageCount,   ///< prints the page count of the report's run
    Line,
    Box,
    Image,
    CheckBox,
};

/// One control of a section: geometry in twips relative to the section, a lines' end points
/// in (left, top) and (right, bottom).
struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString caption;  ///< a label's text
    QString field;    ///< the field a text field or check box shows
    bool visible = true;
    bool checked = false;  ///< an unbound check box's state
    QString tag;
    Style style;
    QImage picture;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

}  // namespace document
