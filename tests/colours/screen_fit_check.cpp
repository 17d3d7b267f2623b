// Huevane's window on a real X server with a window manager, at whatever size and scale the
// environment gives (tests/gui/huevane_screens.sh runs it at 1024x768, once at QT_SCALE_FACTOR=2):
// the window lies on the screen, and every control that takes the focus, Close and each option
// among them, lies on the screen once it has the focus.
#include "colours/color_select.h"
#include "colours/colour_dialog.h"
#include "colours/picture_box.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <QApplication>
#include <QPushButton>
#include <QSet>
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

std::string names(const QSet<const QWidget*>& widgets)
{
    QStringList list;
    for (const QWidget* w : widgets)
        list << w->objectName();
    list.sort();
    return list.join(QLatin1Char(' ')).toStdString();
}

/// Where the screenshots go: HUEVANE_SHOTS names the file to write, or nothing.
void screenshot(const QString& suffix)
{
    const QString file = qEnvironmentVariable("HUEVANE_SHOTS");
    if (!file.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(file + suffix + QStringLiteral(".png"));
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(800);  // the window manager's frame, and the fit that follows it
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << "window " << w.frameGeometry().x() << "," << w.frameGeometry().y()
                                                     << " " << w.frameGeometry().width() << "x" << w.frameGeometry().height();
    screenshot(QStringLiteral("-opened"));

    // Tab goes round every control that takes the focus; each comes into sight on the screen.
    w.OptStatement->click();  // Shade is offered only for the statement
    const QRect view(w.design()->viewport()->mapToGlobal(QPoint()), w.design()->viewport()->size());
    QSet<const QWidget*> reached;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(30);
        QWidget* c = QApplication::focusWidget();
        ASSERT_TRUE(c && w.isAncestorOf(c));
        reached.insert(c);
        const QRect at = QRect(c->mapToGlobal(QPoint()), c->size()) & view;
        EXPECT_TRUE(screen.contains(at) && at.size() == c->size().boundedTo(view.size()))
            << c->objectName().toStdString() << " at " << at.x() << "," << at.y() << " " << at.width() << "x"
            << at.height();
        if (c == static_cast<QWidget*>(w.VScroll1))
            screenshot(QStringLiteral("-scroll-bar-focused"));
        if (c == w.btnExit)
            screenshot(QStringLiteral("-close-focused"));
    }
    const QWidget* const controls[] = {w.btnExit, w.Command1, w.Command3, w.BtnDefaults, w.Picture1, w.VScroll1,
                                       w.HScroll1};
    for (const QWidget* c : controls)
        EXPECT_TRUE(reached.contains(c)) << "Tab never reached " << c->objectName().toStdString() << "; it went to "
                                         << names(reached);

    // Tab enters an option group at one option; each option answers its access key.
    const std::pair<Qt::Key, QWidget*> keys[] = {{Qt::Key_S, w.OptStatement}, {Qt::Key_B, w.OptBack}, {Qt::Key_H, w.OptShade},
                                                 {Qt::Key_F, w.OptFore}, {Qt::Key_I, w.OptInvoice}};
    for (const auto& [key, option] : keys) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QTest::qWait(50);
        EXPECT_EQ(QApplication::focusWidget(), option) << "Alt+" << char(key);
        if (option == w.OptShade)
            screenshot(QStringLiteral("-shade-focused"));
        const QRect at = QRect(option->mapToGlobal(QPoint()), option->size());
        EXPECT_TRUE(screen.contains(at) && view.contains(at)) << option->objectName().toStdString() << " at " << at.x()
                                                              << "," << at.y();
    }
}

}  // namespace
