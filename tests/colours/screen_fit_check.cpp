// Huevane's window on a real X server with a window manager, at the size and scale the
// environment gives (tests/gui/huevane_screens.sh: 1024x768, and at QT_SCALE_FACTOR=2): the window
// lies on the screen, and Tab and the access keys bring every control into sight on it.
#include "colours/color_select.h"
#include "colours/colour_dialog.h"
#include "colours/picture_box.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace huevane;

namespace {

struct NoDialog : ColourDialog {
    std::optional<QColor> choose(QWidget&, const QColor&) override { return std::nullopt; }
};

/// Saves the screen as HUEVANE_SHOTS + `suffix` + ".png" when that variable is set.
void screenshot(const char* suffix)
{
    if (!qEnvironmentVariableIsEmpty("HUEVANE_SHOTS"))
        QGuiApplication::primaryScreen()->grabWindow(0).save(qEnvironmentVariable("HUEVANE_SHOTS") + suffix + ".png");
}

TEST(ScreenFit, TheWindowAndEveryControlThatTakesTheFocusLieOnTheScreen)
{
    testing_support::TempTree tree;
    settings::SettingsStore store{tree.at("config")};
    platform::LocalFileSystem files{platform::PathMapper({tree.at("unc"), qEnvironmentVariable("TORVIK_HOME"), tree.at("cache")})};
    platform::RecordingPrompt prompt;
    NoDialog dialog;
    ColorSelect w(store, files, prompt, dialog);
    w.show();
    QTest::qWait(800);  // the window manager's frame, and the fit that follows it
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.frameGeometry()));
    screenshot("-opened");

    w.OptStatement->click();  // Shade is offered for the statement only
    const QRect view(w.design()->viewport()->mapToGlobal(QPoint()), w.design()->viewport()->size());
    auto inSight = [&](const QWidget* c) {
        const QRect at = QRect(c->mapToGlobal(QPoint()), c->size()) & view;
        EXPECT_TRUE(screen.contains(at) && at.size() == c->size().boundedTo(view.size())) << qPrintable(c->objectName());
    };
    QSet<const QWidget*> reached;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.insert(QApplication::focusWidget());
        inSight(QApplication::focusWidget());
        if (QApplication::focusWidget() == w.VScroll1)
            screenshot("-scroll-bar-focused");
        if (QApplication::focusWidget() == w.btnExit)
            screenshot("-close-focused");
    }
    for (const QWidget* c : std::initializer_list<const QWidget*>{w.btnExit, w.Command1, w.Command3, w.BtnDefaults,
                                                                   w.Picture1, w.VScroll1, w.HScroll1})
        EXPECT_TRUE(reached.contains(c)) << "Tab never reached " << qPrintable(c->objectName());

    // Tab enters an option group at one option; each option answers its access key.
    const std::pair<Qt::Key, QWidget*> keys[] = {{Qt::Key_S, w.OptStatement}, {Qt::Key_B, w.OptBack},
                                                 {Qt::Key_H, w.OptShade}, {Qt::Key_F, w.OptFore}, {Qt::Key_I, w.OptInvoice}};
    for (const auto& [key, option] : keys) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), option) << "Alt+" << char(key);
        inSight(option);
        if (option == w.OptShade)
            screenshot("-shade-focused");
    }
}

}  // namespace
