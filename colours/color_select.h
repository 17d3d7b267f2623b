#pragma once
#include "colours/colour_selection.h"
#include "colours/logo_locator.h"
#include "colours/viewport_layout.h"

#include <QWidget>

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;

namespace platform {
class Error;
class FileSystem;
class OperatorPrompt;
}  // namespace platform
namespace settings {
class SettingsStore;
}

namespace huevane {

class ColourDialog;
class ImageBox;
class PictureBox;
class ShapeControl;

/// Huevane's one window: the invoice and statement colours, their example, the colour dialog,
/// and colour matching on the store's logo. Its closing saves the colours and ends the program.
class ColorSelect : public QWidget {
public:
    ColorSelect(settings::SettingsStore& store, platform::FileSystem& files,
                platform::OperatorPrompt& prompt, ColourDialog& dialog, QWidget* parent = nullptr);

    /// True once an error has ended the program; the caller then quits instead of running it.
    bool ended() const { return ended_; }
    const ColourSelection& selection() const { return selection_; }
    const ViewportLayout& viewport() const { return layout_; }

    // The controls, for the program's own tests.
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* lblRed;
    QLabel* lblGreen;
    QLabel* lblBlue;
    ImageBox* Image1;
    QFrame* Frame1;
    PictureBox* Picture1;
    QScrollBar* VScroll1;
    QScrollBar* HScroll1;
    ShapeControl* Shape1;
    ShapeControl* Shade1;
    ShapeControl* Line1;
    ShapeControl* Line2;
    ShapeControl* Line3;
    ShapeControl* Line4;
    ShapeControl* Line5;
    ShapeControl* Line6;
    QGroupBox* Frame2;
    QRadioButton* OptInvoice;
    QRadioButton* OptStatement;
    QRadioButton* OptFore;
    QRadioButton* OptBack;
    QRadioButton* OptShade;
    QPushButton* Command1;
    QPushButton* Command3;
    QPushButton* BtnDefaults;
    QPushButton* btnExit;

    /// A scroll bar's value in twips, negative on a bar whose range runs below 0.
    int scrollValue(const QScrollBar* bar) const;
    void setScrollValue(QScrollBar* bar, int twips);

    void OptInvoice_Click();
    void OptStatement_Click();
    void OptFore_Click();
    void OptBack_Click();
    void OptShade_Click();
    void Command1_Click();
    void Command3_Click();
    void BtnDefaults_Click();
    void Picture1_MouseDown(Qt::MouseButtons buttons, QPointF position);

    /// The scroll area that holds the design, scrolling it in a window smaller than designed.
    QScrollArea* design() const { return scroll_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    /// Sizes the window to the design, or to the screen's free area less `frame` (what the
    /// window manager adds) when that is smaller, and centres it there.
    void fitToScreen(QSize frame);
    /// Lays the logo viewport out for the width the design has, the window's or, scrolled, more.
    void followWidth();
    void buildControls();
    void Form_Load();
    void LoadLOGO();
    /// Shows the selection's state in the controls.
    void showState();
    void applyLayout();
    void applyRange(QScrollBar* bar, const ScrollRange& range);
    void scrolled();
    QSize pictureTwips() const;
    void endProgram(const platform::Error& error);

    settings::SettingsStore& store_;
    platform::FileSystem& files_;
    platform::OperatorPrompt& prompt_;
    ColourDialog& dialog_;
    LogoLocator logos_;
    ColourSelection selection_;
    ViewportLayout layout_;
    QScrollArea* scroll_;
    QWidget* canvas_;
    QLabel* noLogo_;  // in Frame1 while no logo was found
    bool fitted_ = false;
    bool ended_ = false;
};

}  // namespace huevane
