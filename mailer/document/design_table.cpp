#include "mailer/document/design_table.h"

namespace document {

std::vector<Control> controlsFromRows(std::initializer_list<ControlRow> rows, const Style& base)
{
    std::vector<Control> controls;
    controls.reserve(rows.size());
    for (const ControlRow& row : rows) {
        Control c;
        c.name = QString::fromLatin1(row.name);
        c.kind = row.kind;
        c.left = row.left;
        c.top = row.top;
        c.width = row.width;
        c.height = row.height;
        if (row.kind == ControlKind::Line) {
            c.width = row.width - row.left;
            c.height = row.height - row.top;
        }
        const QString shows = QString::fromLatin1(row.shows);
        switch (row.kind) {
        case ControlKind::Label: c.caption = shows; break;
        case ControlKind::Field: c.field = shows; break;
        case ControlKind::CheckBox:
            if (shows == QLatin1String("[x]"))
                c.checked = true;
            else if (shows != QLatin1String("[ ]"))
                c.field = shows;
            break;
        default: break;
        }
        c.style = parseStyle(QString::fromLatin1(row.style), base);
        c.tag = QString::fromLatin1(row.tag);
        c.visible = row.visible;
        controls.push_back(std::move(c));
    }
    return controls;
}

}  // namespace document
