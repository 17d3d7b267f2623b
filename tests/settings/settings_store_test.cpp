#include "platform/error.h"
#include "settings/colour_value.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using settings::SettingsStore;
using testing_support::TempTree;

namespace {

TEST(SettingsStore, ReturnsTheDefaultOnlyForAMissingKey)
{
    TempTree tree;
    SettingsStore store(tree.path());
    EXPECT_EQ(store.get(settings::Directory, "1"), "1");
    store.save(settings::Directory, "");
    EXPECT_EQ(store.get(settings::Directory, "1"), "");
    store.save(settings::Host, "Stmt Server, North");
    EXPECT_EQ(SettingsStore(tree.path()).get(settings::Host, "x"), "Stmt Server, North");
}

TEST(SettingsStore, HonoursXdgConfigHomeAndKeepsSectionsWithBackslashes)
{
    TempTree tree;
    qputenv("XDG_CONFIG_HOME", tree.path().toUtf8());
    SettingsStore().save(settings::StmtShade, "-1");
    const std::string ini = tree.read("Torvik/Mailvoy.ini");
    EXPECT_NE(ini.find("[SendEmail]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Settings\\StmtShade=-1"), std::string::npos) << ini;

    // A hand-written file in the sectioned style reads the same.
    tree.write("Torvik/Brevix.ini", "[eStatements\\Settings]\r\nHost=srv01\r\n");
    EXPECT_EQ(SettingsStore().get(settings::Host, "localhost"), "srv01");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsStore, TwoProcessesSavingDifferentKeysKeepBoth)
{
    TempTree tree;
    const settings::Key keys[] = {settings::ForeGroundColor, settings::BackGroundColor,
                                  settings::InvoiceShade, settings::StmtShade};
    std::vector<pid_t> children;
    for (const settings::Key& key : keys) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            SettingsStore store(tree.path());
            for (int i = 0; i < 20; ++i)
                store.save(key, QString::number(i));
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_EQ(status, 0);
    }
    SettingsStore store(tree.path());
    for (const settings::Key& key : keys)
        EXPECT_EQ(store.get(key, "missing"), "19") << key.name;
}

TEST(SettingsStore, ReportsAStoreThatCannotBeWritten)
{
    TempTree tree;
    tree.write("Torvik", "a file where the folder should be");
    SettingsStore store(tree.at("Torvik"));
    EXPECT_THROW(store.save(settings::Host, "x"), platform::Error);
}

TEST(ColourValue, ReadsSignedDecimalTextAndRejectsTheRest)
{
    struct Case {
        const char* text;
        int32_t value;
        int error;
    } cases[] = {
        {"0", 0, 0},
        {"15329791", 15329791, 0},
        {"-1", -1, 0},
        {" 16777215 ", 16777215, 0},
        {"2147483647", 2147483647, 0},
        {"-2147483648", -2147483647 - 1, 0},
        {"2147483648", 0, platform::Error::Overflow},
        {"99999999999999999999", 0, platform::Error::Overflow},
        {"red", 0, platform::Error::TypeMismatch},
        {"", 0, platform::Error::TypeMismatch},
        {"12abc", 0, platform::Error::TypeMismatch},
    };
    for (const Case& c : cases) {
        try {
            EXPECT_EQ(settings::parseColour(c.text), c.value) << c.text;
            EXPECT_EQ(c.error, 0) << c.text;
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), c.error) << c.text;
        }
    }
    EXPECT_EQ(settings::formatColour(-1), "-1");
    EXPECT_EQ(settings::formatColour(15329791), "15329791");
}

}  // namespace
