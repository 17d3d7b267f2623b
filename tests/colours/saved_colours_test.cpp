#include "tests/colours/print_qt.h"
#include "colours/saved_colours.h"
#include "platform/recording_prompt.h"
#include "settings/colour_value.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

TEST(SavedColours, AnEmptyStoreGivesHuevanesDefaultsAndWritesAllSixInOrder)
{
    testing_support::TempTree tree;
    settings::SettingsStore store(tree.path());
    platform::RecordingPrompt prompt;
    const DocumentColours read = SavedColours(store, prompt).read();
    EXPECT_EQ(read, DocumentColours::defaults());
    EXPECT_TRUE(prompt.shown.empty());

    QStringList writes;
    for (const SavedColours::Write& w : SavedColours::writesFor(read))
        writes << QStringLiteral("%1\\%2\\%3=%4").arg(w.key.application, w.key.section, w.key.name, w.text);
    EXPECT_EQ(writes.join(QLatin1Char('\n')).toStdString(),
              "Mailvoy\\SendEmail\\Settings\\ForeGroundColor=0\n"
              "Mailvoy\\SendEmail\\Settings\\BackGroundColor=16773328\n"
              "Mailvoy\\SendEmail\\Settings\\InvoiceShade=-1\n"
              "Mailvoy\\SendEmail\\Settings\\ForeGroundColorSTMT=0\n"
              "Mailvoy\\SendEmail\\Settings\\BackGroundColorSTMT=16777215\n"
              "Mailvoy\\SendEmail\\Settings\\StmtShade=15329791");
}

TEST(SavedColours, NamesEachUnreadableColourOnceAndUsesItsDefault)
{
    testing_support::TempTree tree;
    settings::SettingsStore store(tree.path());
    store.save(settings::ForeGroundColor, "255");
    store.save(settings::ForeGroundColorSTMT, "red");
    store.save(settings::StmtShade, "99999999999");
    platform::RecordingPrompt prompt;
    const DocumentColours read = SavedColours(store, prompt).read();
    EXPECT_EQ(read, (DocumentColours{255, 16773328, -1, 0, 16777215, 15329791}));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].title, "Huevane");
    EXPECT_EQ(prompt.shown[0].text,
              "The stored colour ForeGroundColorSTMT, \"red\", cannot be read (Type mismatch). "
              "The default 0 is used instead.");
    EXPECT_EQ(prompt.shown[1].text,
              "The stored colour StmtShade, \"99999999999\", cannot be read (Overflow). "
              "The default 15329791 is used instead.");
}

// Brevix reads the statement colours with its own defaults; after Huevane has saved, they are
// Huevane's values, whatever Brevix would have assumed.
TEST(SavedColours, BrevixReadsTheStatementColoursHuevaneWrote)
{
    testing_support::TempTree tree;
    settings::SettingsStore store(tree.path());
    platform::RecordingPrompt prompt;
    SavedColours(store, prompt).write({1, 2, 3, 0x102030, 0xFFFFFF, 0xE9E9FF});

    settings::SettingsStore brevix(tree.path());
    namespace d = settings::brevix_default;
    using settings::formatColour;
    EXPECT_EQ(settings::parseColour(brevix.get(settings::ForeGroundColorSTMT, formatColour(d::ForeGroundColorSTMT))), 0x102030);
    EXPECT_EQ(settings::parseColour(brevix.get(settings::BackGroundColorSTMT, formatColour(d::BackGroundColorSTMT))), 0xFFFFFF);
    EXPECT_EQ(settings::parseColour(brevix.get(settings::StmtShade, formatColour(d::StmtShade))), 0xE9E9FF);
}

}  // namespace
