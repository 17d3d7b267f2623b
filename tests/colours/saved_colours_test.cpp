#include "tests/colours/print_qt.h"
#include "colours/saved_colours.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

// Reading an empty store and writing on close are covered by the window tests.
TEST(SavedColours, WritesAllSixInOrderAndNamesEachUnreadableColourOnce)
{
    QStringList writes;
    for (const SavedColours::Write& w : SavedColours::writesFor(DocumentColours::defaults())) {
        EXPECT_EQ(QStringLiteral("%1\\%2").arg(w.key.application, w.key.section), "Mailvoy\\SendEmail\\Settings");
        writes << QStringLiteral("%1=%2").arg(w.key.name, w.text);
    }
    EXPECT_EQ(writes.join(' '), "ForeGroundColor=0 BackGroundColor=16773328 InvoiceShade=-1 ForeGroundColorSTMT=0 "
                                "BackGroundColorSTMT=16777215 StmtShade=15329791");

    testing_support::TempTree tree;
    settings::SettingsStore store(tree.path());
    store.save(settings::ForeGroundColor, "255");
    store.save(settings::ForeGroundColorSTMT, "red");
    store.save(settings::StmtShade, "99999999999");
    platform::RecordingPrompt prompt;
    EXPECT_EQ(SavedColours(store, prompt).read(), (DocumentColours{255, 16773328, -1, 0, 16777215, 15329791}));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].title, "Huevane");
    EXPECT_EQ(prompt.texts(), std::vector<QString>({"The stored colour ForeGroundColorSTMT, \"red\", cannot be read "
                                                    "(Type mismatch). The default 0 is used instead.",
                                                    "The stored colour StmtShade, \"99999999999\", cannot be read "
                                                    "(Overflow). The default 15329791 is used instead."}));
}

}  // namespace
