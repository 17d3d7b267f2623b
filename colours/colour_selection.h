#pragma once
#include "colours/colour_values.h"
#include "colours/document_colours.h"

#include <QString>
#include <Qt>
#include <functional>

namespace huevane {

enum class FormType { Invoice, Statement };
enum class Role { Foreground, Background, Shade };

/// The colours the example area shows. Never -1: a colour that is not set leaves the
/// example as it was.
struct ExampleColours {
    int32_t headingText = 0;      ///< Label1, Label5, Label6
    int32_t headingFill = 0;      ///< Shape1
    int32_t rowFill = 0xFFFFFF;   ///< Shade1 and the backgrounds of Label7, Label8, Label9
};

/// What the colour selector window holds apart from its controls: the six working colours,
/// the selected form type and role, the example, the readout and pick mode. The window runs
/// its handlers through this class and then shows its state.
class ColourSelection {
public:
    /// The outcome of a press on the logo picture.
    struct Pick {
        enum Kind { Ignored, Applied, Shown } kind = Ignored;
        QString message;  ///< for Shown: the text of the message box
    };

    /// `loadLogo` is called whenever a form type is selected, between leaving pick mode and
    /// selecting the Foreground role.
    explicit ColourSelection(std::function<void()> loadLogo) : loadLogo_(std::move(loadLogo)) {}

    /// The selection steps of a form type: example, logo caption, Shade offered or not, logo,
    /// then the Foreground role.
    void selectFormType(FormType type);
    /// A role's steps: leave pick mode and show the role's colour in the readout.
    void selectRole(Role role);
    /// Takes a chosen colour for the selected role and form type.
    void ApplyColor(int32_t colour);
    /// "Default": resets the selected form type's colours and runs its selection steps.
    void restoreDefaults();
    /// Takes the colours read at start: the example follows the invoice colours that are set,
    /// and the readout shows the invoice foreground.
    void adoptStored(const DocumentColours& colours);

    void enterPickMode() { pickMode_ = true; }
    void leavePickMode() { pickMode_ = false; }
    /// A press on the logo picture with `buttons` held and `pixel` read under the pointer.
    Pick press(Qt::MouseButtons buttons, int32_t pixel);

    /// Computes the readout of a colour.
    void Get_RGB(int32_t colour) { readout_ = rgbOf(colour); }

    FormType formType() const { return formType_; }
    Role role() const { return role_; }
    bool pickMode() const { return pickMode_; }
    bool shadeOffered() const { return formType_ == FormType::Statement; }
    QString logoCaption() const;
    const DocumentColours& colours() const { return colours_; }
    const ExampleColours& example() const { return example_; }
    Rgb readout() const { return readout_; }

    /// The colour a role means for the selected form type.
    int32_t colourOf(Role role) const;

private:
    std::function<void()> loadLogo_;
    DocumentColours colours_;
    ExampleColours example_;
    Rgb readout_{0, 0, 0};
    FormType formType_ = FormType::Invoice;
    Role role_ = Role::Foreground;
    bool pickMode_ = false;
};

}  // namespace huevane
