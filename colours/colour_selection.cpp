#include "colours/colour_selection.h"

namespace huevane {
namespace {

constexpr int32_t kWhite = 0xFFFFFF;

/// Shows a colour in the example unless it is "not set".
void show(int32_t& shown, int32_t colour)
{
    if (colour != settings::kNotSet)
        shown = colour;
}

/// The working colour that a role means for a form type; the shade is the statement's alone.
template <class Colours>
auto& slot(Colours& c, FormType type, Role role)
{
    const bool invoice = type == FormType::Invoice;
    switch (role) {
    case Role::Foreground: return invoice ? c.ForeGroundColor : c.ForeGroundColorSTMT;
    case Role::Background: return invoice ? c.BackGroundColor : c.BackGroundColorSTMT;
    case Role::Shade: break;
    }
    return c.StmtShade;
}

}  // namespace

QString ColourSelection::logoCaption() const
{
    return formType_ == FormType::Invoice ? QStringLiteral("Invoice Logo")
                                          : QStringLiteral("Statement Logo");
}

int32_t ColourSelection::colourOf(Role role) const
{
    return slot(colours_, formType_, role);
}

void ColourSelection::selectFormType(FormType type)
{
    formType_ = type;
    show(example_.headingText, colourOf(Role::Foreground));
    show(example_.headingFill, colourOf(Role::Background));
    if (type == FormType::Invoice) {
        // The invoice shows no shade: the row band turns white, but a statement shade of 0
        // leaves it as it is.
        if (colours_.StmtShade != 0)
            example_.rowFill = kWhite;
    } else {
        example_.rowFill = colours_.StmtShade == settings::kNotSet ? settings::huevane_default::StmtShade
                                                                   : colours_.StmtShade;
    }
    leavePickMode();
    if (loadLogo_)
        loadLogo_();
    selectRole(Role::Foreground);
}

void ColourSelection::selectRole(Role role)
{
    role_ = role;
    leavePickMode();
    Get_RGB(colourOf(role));
}

void ColourSelection::ApplyColor(int32_t colour)
{
    slot(colours_, formType_, role_) = colour;
    switch (role_) {
    case Role::Foreground: show(example_.headingText, colour); break;
    case Role::Background: show(example_.headingFill, colour); break;
    case Role::Shade: show(example_.rowFill, colour); break;
    }
    selectRole(role_);
}

void ColourSelection::restoreDefaults()
{
    leavePickMode();
    const DocumentColours d = DocumentColours::defaults();
    if (formType_ == FormType::Statement) {
        colours_.StmtShade = d.StmtShade;
        colours_.ForeGroundColorSTMT = d.ForeGroundColorSTMT;
        colours_.BackGroundColorSTMT = d.BackGroundColorSTMT;
    } else {
        colours_.ForeGroundColor = d.ForeGroundColor;
        colours_.BackGroundColor = d.BackGroundColor;
    }
    selectFormType(formType_);
}

void ColourSelection::adoptStored(const DocumentColours& colours)
{
    colours_ = colours;
    show(example_.headingText, colours_.ForeGroundColor);
    show(example_.headingFill, colours_.BackGroundColor);
    Get_RGB(colours_.ForeGroundColor);
}

ColourSelection::Pick ColourSelection::press(Qt::MouseButtons buttons, int32_t pixel)
{
    Pick pick;
    if (!pickMode_ || (buttons != Qt::LeftButton && buttons != Qt::RightButton) || pixel == -1)
        return pick;
    if (buttons == Qt::RightButton) {
        pick.kind = Pick::Shown;
        pick.message = pickMessage(pixel);
    } else {
        pick.kind = Pick::Applied;
        ApplyColor(pixel);
    }
    leavePickMode();
    return pick;
}

}  // namespace huevane
