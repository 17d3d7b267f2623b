#include "colours/saved_colours.h"
#include "mailer/document/page_painter.h"
#include "mailer/document/pages.h"
#include "mailer/run/startup_settings.h"
#include "mailer/run/statement_job.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/statement_share.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

/// The colour of the page at a point given in twips from the page's top-left corner.
QRgb pixelAt(const QImage& page, int x, int y)
{
    return page.pixel(x * page.width() / 12240, y * page.height() / 15840);
}

TEST(SavedColours, AStatementRenderedAfterSavingCarriesTheNewColours)
{
    testing_support::StatementShare share;
    settings::SettingsStore store(share.at("config"));
    platform::RecordingPrompt prompt;
    huevane::DocumentColours colours = huevane::DocumentColours::defaults();
    colours.BackGroundColorSTMT = 0x00FF00;  // green, 0x00BBGGRR
    colours.StmtShade = 0xFF0000;            // blue
    huevane::SavedColours(store, prompt).write(colours);

    input::modBrevix run;
    run.ServerName = "host";
    run.StoreNumber = "7";
    run::readStatementColours(store, run);
    share.drop("12345.txt", testing_support::statementText("12345"));
    platform::LocalFileSystem fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")}));
    run::StatementJob job(run, fs);
    document::Pages pages;
    job.render("\\\\host\\parlow\\email7\\statements\\temp\\12345.txt", pages);
    ASSERT_GE(pages.Count(), 1);
    const QImage page = document::renderPage(pages.Item(0), 144);

    // Page 1: the report header (4725) lies below the top margin (720), then the page header.
    const int pageHeaderTop = 720 + 4725;
    const int firstRowTop = pageHeaderTop + 1275;
    EXPECT_EQ(QColor(pixelAt(page, 360 + 100, pageHeaderTop + 1000)), QColor(0, 255, 0)) << "column heading";
    EXPECT_EQ(QColor(pixelAt(page, 360 + 100, firstRowTop + 20)), QColor(0, 0, 255)) << "shaded row";
}

}  // namespace
