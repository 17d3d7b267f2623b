#include "platform/error.h"
#include "settings/colour_value.h"
#include "settings/settings_store.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using settings::SettingsStore;
using testing_support::TempTree;

namespace {

TEST(SettingsStore, KeepsTextsUnderSectionsWithBackslashesInTheUsersConfigFolder)
{
    TempTree tree;
    qputenv("XDG_CONFIG_HOME", tree.path().toUtf8());
    SettingsStore store;
    EXPECT_EQ(store.get(settings::Directory, "1"), "1");
    store.save(settings::Directory, "");
    EXPECT_EQ(store.get(settings::Directory, "1"), "");  // the default is only for a missing key
    store.save(settings::StmtShade, "-1");
    EXPECT_NE(tree.read("Torvik/Mailvoy.ini").find("[SendEmail]\nSettings\\StmtShade=-1"), std::string::npos);

    // A hand-written file in the sectioned style reads the same.
    tree.write("Torvik/Brevix.ini", "[eStatements\\Settings]\r\nHost=srv01\r\n");
    EXPECT_EQ(SettingsStore().get(settings::Host, "localhost"), "srv01");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsStore, TwoProcessesSavingDifferentKeysKeepBoth)
{
    TempTree tree;
    const settings::Key keys[] = {settings::ForeGroundColor, settings::BackGroundColor, settings::InvoiceShade};
    std::vector<pid_t> children;
    for (const settings::Key& key : keys) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < 20; ++i)
                SettingsStore(tree.path()).save(key, QString::number(i));
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children)
        ::waitpid(pid, nullptr, 0);
    for (const settings::Key& key : keys)
        EXPECT_EQ(SettingsStore(tree.path()).get(key, "missing"), "19") << key.name;
}

TEST(SettingsStore, ReportsAStoreThatCannotBeWritten)
{
    TempTree tree;
    tree.write("Torvik", "a file where the folder should be");
    EXPECT_THROW(SettingsStore(tree.at("Torvik")).save(settings::Host, "x"), platform::Error);
}

TEST(ColourValue, ReadsSignedDecimalTextAndRejectsTheRest)
{
    struct Case {
        const char* text;
        int32_t value;
        int error;
    } cases[] = {
        {" 16777215 ", 16777215, 0},
        {"-1", -1, 0},
        {"-2147483648", -2147483647 - 1, 0},
        {"2147483648", 0, platform::Error::Overflow},
        {"99999999999999999999", 0, platform::Error::Overflow},
        {"", 0, platform::Error::TypeMismatch},
        {"12abc", 0, platform::Error::TypeMismatch},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(testing_support::errorNumberOf([&] { value = settings::parseColour(c.text); }), c.error) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
