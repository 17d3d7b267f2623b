#include "colours/color_select.h"

#include "colours/design_font.h"
#include "colours/frm_cd.h"
#include "colours/image_box.h"
#include "colours/logo_picture.h"
#include "colours/picture_box.h"
#include "colours/saved_colours.h"
#include "colours/shape_control.h"
#include "colours/twips.h"
#include "platform/access_keys.h"
#include "platform/error.h"
#include "platform/operator_prompt.h"
#include "platform/file_system.h"
#include "platform/version.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace huevane {
namespace {

const QString kProgram = QStringLiteral("Huevane");
const QRect kDesign(0, 0, 18510, 9690);  // the client area as designed, in twips

/// A scroll bar that shows when it has the focus, as the arrow keys then move the picture.
class FocusScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};
// A bar whose maximum lies below 0 runs its Qt value from 0 up to the magnitude.
const char* const kRunsBelowZero = "runsBelowZero";

QString helpText()
{
    return QStringLiteral("Select Foreground or background radio button.  ")
        + QStringLiteral("Click on Color Select Button to Open Color Picker Window.  Click on Desired color, then click Okay.")
        + QStringLiteral("\r\n") + QStringLiteral("If Logo exists, you may select the Color Match ")
        + QStringLiteral("button, place cursor crosshair over desired colored area of Picture, then Left-Click mouse to select color.  ")
        + QStringLiteral("\r\n") + QStringLiteral("Right Click mouse to see RGB setting.");
}

template <class Control>
Control* place(Control* control, const char* name, QRect twipsRect)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(pixels(twipsRect));
    return control;
}

QLabel* label(QWidget* parent, const char* name, const char* text, QRect twipsRect)
{
    auto* l = place(new QLabel(QString::fromLatin1(text), parent), name, twipsRect);
    l->setTextFormat(Qt::PlainText);
    return l;
}

/// A line from (x1,y1) to (x2,y2) in twips; the designs use only upright and level ones.
ShapeControl* line(QWidget* parent, const char* name, int x1, int y1, int x2, int y2)
{
    auto* l = new ShapeControl(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(pixels(x1), pixels(y1), std::max(1, pixels(x2 - x1)), std::max(1, pixels(y2 - y1)));
    return l;
}

void setTextColour(QWidget* w, int32_t colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toQColor(colour));
    w->setPalette(p);
}

void setBackColour(QWidget* w, int32_t colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toQColor(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

/// An error as the operator reads it, naming its file where this machine keeps it too.
QString describe(const platform::Error& e, platform::FileSystem& files)
{
    QString text = QStringLiteral("Error %1: %2").arg(e.number()).arg(e.description());
    if (!e.file().isEmpty())
        text += QStringLiteral(" on ") + files.withHostPath(e.file());
    return text;
}

}  // namespace

ColorSelect::ColorSelect(settings::SettingsStore& store, platform::FileSystem& files,
                         platform::OperatorPrompt& prompt, ColourDialog& dialog, QWidget* parent)
    : QWidget(parent),
      store_(store),
      files_(files),
      prompt_(prompt),
      dialog_(dialog),
      logos_(files),
      selection_([this] { LoadLOGO(); })
{
    setObjectName(QStringLiteral("ColorSelect"));
    setFont(designFont(8.25));
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("design"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setFocusPolicy(Qt::NoFocus);
    canvas_ = new QWidget;
    scroll_->setWidget(canvas_);
    canvas_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll_);
    buildControls();
    // A control that takes the focus, by Tab or its access key, scrolls into sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && canvas_->isAncestorOf(now))
            scroll_->ensureWidgetVisible(now, pixels(120), pixels(120));
    });

    setMinimumSize(pixels(3000), pixels(2000));
    fitToScreen(QSize(pixels(60), pixels(450)));
    Form_Load();
}

void ColorSelect::fitToScreen(QSize frame)
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    resize(pixels(kDesign).size().boundedTo(room.size() - frame));
    QRect outer(QPoint(), size() + frame);
    outer.moveCenter(room.center());
    outer.moveTopLeft(QPoint(std::max(room.left(), outer.left()), std::max(room.top(), outer.top())));
    move(outer.topLeft());
}

void ColorSelect::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (fitted_)
        return;
    fitted_ = true;
    // The window manager's frame is known once the window is up: fit once more with it.
    QTimer::singleShot(200, this, [this] {
        const QSize frame = frameGeometry().size() - size();
        const QRect room = screen() ? screen()->availableGeometry() : QRect();
        if (!room.contains(frameGeometry()))
            fitToScreen(frame);
    });
}

void ColorSelect::buildControls()
{
    // Lower controls first: later ones lie on top, as the example's labels lie on its bands.
    Label2 = label(canvas_, "Label2", "Invoice Logo", {240, 240, 2415, 255});
    Label2->setFont(designFont(9.75, true));
    setTextColour(Label2, 0x800000);
    Image1 = place(new ImageBox(canvas_), "Image1", {120, 600, 5040, 2520});
    Label3 = label(canvas_, "Label3", "Color Match Picture", {5760, 240, 2415, 255});
    Label3->setFont(designFont(9.75, true));
    setTextColour(Label3, 0x0000C0);

    Frame1 = place(new QFrame(canvas_), "Frame1", layout_.Frame1);
    Frame1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1 = place(new PictureBox(Frame1), "Picture1", {0, 120, 4000, 2400});
    Picture1->setFocusPolicy(Qt::StrongFocus);
    VScroll1 = place(new FocusScrollBar(Qt::Vertical, canvas_), "VScroll1", layout_.VScroll1);
    HScroll1 = place(new FocusScrollBar(Qt::Horizontal, canvas_), "HScroll1", layout_.HScroll1);
    for (QScrollBar* bar : {VScroll1, HScroll1}) {
        bar->setFocusPolicy(Qt::StrongFocus);
        connect(bar, &QScrollBar::valueChanged, this, [this] { scrolled(); });
    }

    Label10 = label(canvas_, "Label10", "Example", {240, 3360, 975, 255});
    Shape1 = place(new ShapeControl(canvas_), "Shape1", {240, 3720, 4935, 375});
    Shade1 = place(new ShapeControl(canvas_), "Shade1", {240, 4080, 4935, 735});
    Shade1->setFill(Qt::white);
    Line1 = line(canvas_, "Line1", 840, 3720, 840, 4560);
    Line2 = line(canvas_, "Line2", 2640, 3720, 2640, 4080);
    Line3 = line(canvas_, "Line3", 840, 4080, 840, 4800);
    Line4 = line(canvas_, "Line4", 2640, 4080, 2640, 4800);
    Label1 = label(canvas_, "Label1", "Line", {360, 3780, 375, 255});
    Label5 = label(canvas_, "Label5", "Part", {960, 3780, 615, 255});
    Label6 = label(canvas_, "Label6", "Description", {2760, 3780, 1335, 255});
    Label7 = label(canvas_, "Label7", "AAA", {360, 4200, 375, 255});
    Label8 = label(canvas_, "Label8", "1234567890", {960, 4200, 1335, 255});
    Label9 = label(canvas_, "Label9", "WORKSHOP MANUAL", {2760, 4200, 2295, 255});
    for (QLabel* l : {Label7, Label8, Label9})
        setBackColour(l, 0xFFFFFF);

    Frame2 = place(new QGroupBox(QStringLiteral("Form Type"), canvas_), "Frame2", {240, 5040, 4815, 615});
    // The caption sits on the frame's top line, so the options fit below it as designed.
    Frame2->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame2 { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox#Frame2::title { subcontrol-origin: border; left: 6px; top: -7px; padding: 0 2px; }"));
    OptInvoice = place(new QRadioButton(QStringLiteral("&Invoice"), Frame2), "OptInvoice", {240, 240, 1095, 255});
    OptStatement = place(new QRadioButton(QStringLiteral("&Statement"), Frame2), "OptStatement", {1920, 240, 1335, 255});
    // A style sheet stops the window's font from reaching the frame's options.
    for (QWidget* w : {static_cast<QWidget*>(OptInvoice), static_cast<QWidget*>(OptStatement)})
        w->setFont(font());
    OptFore = place(new QRadioButton(QStringLiteral("&Foreground"), canvas_), "OptFore", {240, 5880, 1575, 375});
    OptBack = place(new QRadioButton(QStringLiteral("&Background"), canvas_), "OptBack", {240, 6240, 1575, 375});
    OptShade = place(new QRadioButton(QStringLiteral("S&hade"), canvas_), "OptShade", {240, 6600, 1575, 375});
    OptShade->hide();

    Command1 = place(new QPushButton(QStringLiteral("&Color Select"), canvas_), "Command1", {2160, 5880, 1215, 495});
    Command1->setToolTip(QStringLiteral("Open Color Picker Window"));
    Command3 = place(new QPushButton(QStringLiteral("Color &Match"), canvas_), "Command3", {3840, 5880, 1215, 495});
    Command3->setToolTip(QStringLiteral("Use Mouse to Select Color From the 'Color Match Picture"));
    BtnDefaults = place(new QPushButton(QStringLiteral("&Default"), canvas_), "BtnDefaults", {2160, 6600, 1215, 495});
    BtnDefaults->setToolTip(QStringLiteral("Restore Colors to Default"));

    Line6 = line(canvas_, "Line6", 240, 7200, 5160, 7200);
    Line5 = line(canvas_, "Line5", 240, 7560, 5160, 7560);
    lblRed = label(canvas_, "lblRed", "Red:", {1200, 7320, 855, 255});
    lblGreen = label(canvas_, "lblGreen", "Green:", {2280, 7320, 975, 255});
    lblBlue = label(canvas_, "lblBlue", "Blue: ", {3480, 7320, 975, 255});
    Label4 = label(canvas_, "Label4", "", {240, 7680, 4935, 1815});
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackColour(Label4, 0xC0FFFF);
    btnExit = place(new QPushButton(QStringLiteral("C&lose"), canvas_), "btnExit", {9960, 8880, 1215, 495});

    for (QLabel* l : {Label1, Label4, Label5, Label6, Label9})
        l->setFont(designFont(9.75));

    // Each option group is exclusive on its own: the roles on the window, the form types in Frame2.
    auto* roles = new QButtonGroup(this);
    for (QRadioButton* o : {OptFore, OptBack, OptShade})
        roles->addButton(o);
    auto* formTypes = new QButtonGroup(this);
    for (QRadioButton* o : {OptInvoice, OptStatement})
        formTypes->addButton(o);

    connect(OptInvoice, &QRadioButton::clicked, this, [this] { OptInvoice_Click(); });
    connect(OptStatement, &QRadioButton::clicked, this, [this] { OptStatement_Click(); });
    connect(OptFore, &QRadioButton::clicked, this, [this] { OptFore_Click(); });
    connect(OptBack, &QRadioButton::clicked, this, [this] { OptBack_Click(); });
    connect(OptShade, &QRadioButton::clicked, this, [this] { OptShade_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(BtnDefaults, &QPushButton::clicked, this, [this] { BtnDefaults_Click(); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);
    connect(Picture1, &PictureBox::pressed, this,
            [this](Qt::MouseButtons buttons, QPointF position) { Picture1_MouseDown(buttons, position); });

    QWidget* const order[] = {OptFore, OptBack, Command1, Command3, btnExit, Picture1,
                              HScroll1, VScroll1, OptInvoice, OptStatement, OptShade, BtnDefaults};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The design keeps every button and the help text however narrow the window; a window
    // smaller than that scrolls the design.
    QRect reach = Label4->geometry();
    for (const QAbstractButton* b : findChildren<QAbstractButton*>())
        reach |= QRect(b->mapTo(canvas_, QPoint()), b->size());
    canvas_->setMinimumSize(reach.right() + 1 + pixels(120), pixels(kDesign.height()));
    noLogo_ = new QLabel(Frame1);
    noLogo_->setObjectName(QStringLiteral("noLogo"));
    noLogo_->setWordWrap(true);
    noLogo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    noLogo_->setMargin(pixels(120));
    noLogo_->lower();  // under the picture, whose focus frame then shows
    platform::keepAccessKeysOutOfText(*this);
}

void ColorSelect::Form_Load()
{
    Label4->setText(helpText());
    setWindowTitle(QStringLiteral("Mailvoy Color Selector") + QString(8, QLatin1Char(' '))
                   + QStringLiteral("  Version ") + platform::versionText());
    Picture1->move(0, 0);
    OptInvoice_Click();
    LoadLOGO();
    selection_.adoptStored(SavedColours(store_, prompt_).read());
    layout_.layOutScrollBars(pictureTwips());
    applyLayout();
    showState();
}

void ColorSelect::LoadLOGO()
{
    if (ended_)
        return;
    const std::optional<QString> name = logos_.find(selection_.formType());
    if (!name) {
        // Nothing shown yet: say where the logo goes.
        if (Image1->picture().isNull()) {
            const bool invoice = selection_.formType() == FormType::Invoice;
            const QString first = LogoLocator::folder() + (invoice ? QStringLiteral("logo") : QStringLiteral("stmtlogo"));
            const QString note = QStringLiteral("No %1 logo. Huevane shows the picture file %2, or %3wide when "
                                                "there is one (any picture format, the name with or without its "
                                                "extension).")
                                     .arg(invoice ? QStringLiteral("invoice") : QStringLiteral("statement"),
                                          files_.withHostPath(first), first);
            Image1->setNote(note);
            noLogo_->setText(note);
            noLogo_->show();
        }
        return;
    }
    try {
        const LogoPicture logo = LogoPicture::load(files_, LogoLocator::folder() + *name);
        Image1->setPicture(logo.picture);
        Picture1->setPicture(logo.bitmap);
        noLogo_->hide();
    } catch (const platform::Error& e) {
        endProgram(e);
    }
}

void ColorSelect::showState()
{
    const ExampleColours& example = selection_.example();
    for (QLabel* l : {Label1, Label5, Label6})
        setTextColour(l, example.headingText);
    Shape1->setFill(toQColor(example.headingFill));
    Shade1->setFill(toQColor(example.rowFill));
    for (QLabel* l : {Label7, Label8, Label9})
        setBackColour(l, example.rowFill);

    const Rgb rgb = selection_.readout();
    lblRed->setText(readoutCaption(QStringLiteral("Red: "), rgb.red));
    lblGreen->setText(readoutCaption(QStringLiteral("Green: "), rgb.green));
    lblBlue->setText(readoutCaption(QStringLiteral("Blue: "), rgb.blue));

    Label2->setText(selection_.logoCaption());
    OptShade->setVisible(selection_.shadeOffered());
    (selection_.formType() == FormType::Invoice ? OptInvoice : OptStatement)->setChecked(true);
    switch (selection_.role()) {
    case Role::Foreground: OptFore->setChecked(true); break;
    case Role::Background: OptBack->setChecked(true); break;
    case Role::Shade: OptShade->setChecked(true); break;
    }
    Picture1->setCursor(selection_.pickMode() ? Qt::CrossCursor : Qt::ArrowCursor);
}

void ColorSelect::OptInvoice_Click()
{
    selection_.selectFormType(FormType::Invoice);
    showState();
}

void ColorSelect::OptStatement_Click()
{
    selection_.selectFormType(FormType::Statement);
    showState();
}

void ColorSelect::OptFore_Click()
{
    selection_.selectRole(Role::Foreground);
    showState();
}

void ColorSelect::OptBack_Click()
{
    selection_.selectRole(Role::Background);
    showState();
}

void ColorSelect::OptShade_Click()
{
    selection_.selectRole(Role::Shade);
    showState();
}

void ColorSelect::Command1_Click()
{
    selection_.leavePickMode();
    showState();

    frmCD owner(dialog_);
    owner.show();
    owner.move(pixels(layout_.Frame1.left() + 400), frameGeometry().top() + pixels(1000));
    // The dialog opens on the colour it changes, as the example shows it.
    const ExampleColours& shown = selection_.example();
    const int32_t current = selection_.role() == Role::Foreground   ? shown.headingText
                            : selection_.role() == Role::Background ? shown.headingFill
                                                                    : shown.rowFill;
    const std::optional<QColor> chosen = owner.ShowColor(toQColor(current));
    if (!chosen) {
        owner.close();
        return;
    }
    selection_.ApplyColor(fromQColor(*chosen));
    owner.hide();
    owner.close();
    activateWindow();
    showState();
    update();
}

void ColorSelect::Command3_Click()
{
    selection_.enterPickMode();
    showState();
}

void ColorSelect::BtnDefaults_Click()
{
    selection_.restoreDefaults();
    showState();
}

void ColorSelect::Picture1_MouseDown(Qt::MouseButtons buttons, QPointF position)
{
    const ColourSelection::Pick pick = selection_.press(buttons, pixelColour(Picture1->picture(), position));
    if (pick.kind == ColourSelection::Pick::Shown)
        prompt_.message(pick.message, kProgram);
    showState();
}

QSize ColorSelect::pictureTwips() const
{
    return QSize(twips(Picture1->width()), twips(Picture1->height()));
}

void ColorSelect::applyLayout()
{
    Frame1->setGeometry(pixels(layout_.Frame1));
    noLogo_->setGeometry(Frame1->contentsRect());
    VScroll1->setGeometry(pixels(layout_.VScroll1));
    HScroll1->setGeometry(pixels(layout_.HScroll1));
    applyRange(VScroll1, layout_.vertical);
    applyRange(HScroll1, layout_.horizontal);
}

int ColorSelect::scrollValue(const QScrollBar* bar) const
{
    return bar->property(kRunsBelowZero).toBool() ? -bar->value() : bar->value();
}

void ColorSelect::setScrollValue(QScrollBar* bar, int twips)
{
    bar->setValue(bar->property(kRunsBelowZero).toBool() ? -twips : twips);
}

void ColorSelect::applyRange(QScrollBar* bar, const ScrollRange& range)
{
    // Qt's bars need minimum <= maximum; a range running below 0 is kept as its mirror image,
    // so the thumb and the arrows still move the way the picture does.
    const int value = std::clamp(scrollValue(bar), std::min(0, range.maximum), std::max(0, range.maximum));
    const QSignalBlocker quiet(bar);
    bar->setProperty(kRunsBelowZero, range.maximum < 0);
    bar->setRange(0, std::abs(range.maximum));
    bar->setSingleStep(range.smallChange);
    bar->setPageStep(range.largeChange);
    setScrollValue(bar, value);
    scrolled();
}

void ColorSelect::scrolled()
{
    Picture1->move(pixels(-scrollValue(HScroll1)), pixels(-scrollValue(VScroll1)));
}

void ColorSelect::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    followWidth();
}

bool ColorSelect::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == canvas_ || watched == scroll_->viewport()) && event->type() == QEvent::Resize)
        followWidth();
    return QWidget::eventFilter(watched, event);
}

void ColorSelect::followWidth()
{
    // Scrolled, the design is as wide as its canvas: the viewport follows that width.
    const int outer = frameGeometry().width() + std::max(0, canvas_->width() - scroll_->viewport()->width());
    if (layout_.windowResized(twips(outer), pictureTwips()))
        applyLayout();
}

void ColorSelect::closeEvent(QCloseEvent* event)
{
    if (!ended_) {
        try {
            SavedColours(store_, prompt_).write(selection_.colours());
        } catch (const platform::Error& e) {
            prompt_.message(describe(e, files_) + QStringLiteral("\r\nThe colours were not saved."),
                            kProgram);
        }
    }
    event->accept();
}

void ColorSelect::endProgram(const platform::Error& error)
{
    ended_ = true;
    prompt_.message(describe(error, files_), kProgram);
    hide();
    QCoreApplication::exit(1);
}

}  // namespace huevane
