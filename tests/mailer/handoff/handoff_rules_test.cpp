#include "mailer/handoff/claim.h"
#include "mailer/handoff/name_check.h"
#include "mailer/handoff/settle_watch.h"

#include <gtest/gtest.h>

namespace {

using platform::FileStamp;

TEST(SettleWatch, TakesAFileOnlyAfterItStoodStillForTheSettleTime)
{
    const FileStamp a{FileStamp::Regular, 10, 100, 1};
    const FileStamp grown{FileStamp::Regular, 20, 100, 1};
    const FileStamp touched{FileStamp::Regular, 10, 200, 1};
    const FileStamp replaced{FileStamp::Regular, 10, 100, 2};
    const struct {
        const char* name;
        qint64 settleMs;
        std::vector<std::pair<FileStamp, qint64>> looks;  // stamp and time of each look
        bool settled;                                      // after the last look
    } cases[] = {
        {"first look", 2000, {{a, 0}}, false},
        {"settle time 0 takes at once", 0, {{a, 0}}, true},
        {"too soon", 2000, {{a, 0}, {a, 1999}}, false},
        {"stood still", 2000, {{a, 0}, {a, 2000}}, true},
        {"grew in between", 2000, {{a, 0}, {grown, 2000}}, false},
        {"grew, then stood still again", 2000, {{a, 0}, {grown, 2000}, {grown, 4000}}, true},
        {"rewritten to the same size", 2000, {{a, 0}, {touched, 2500}}, false},
        {"replaced by another file", 2000, {{a, 0}, {replaced, 2500}}, false},
    };
    for (const auto& c : cases) {
        handoff::SettleWatch watch(c.settleMs);
        bool settled = false;
        for (const auto& [stamp, at] : c.looks)
            settled = watch.settled("12345.txt", stamp, at);
        EXPECT_EQ(settled, c.settled) << c.name;
    }
}

TEST(NameCheck, RefusesEntriesThatCannotTravelAsAStatement)
{
    auto entry = [](const QString& name, FileStamp::Kind kind = FileStamp::Regular) {
        return platform::FolderEntry{name, name.toUtf8(), {kind, 1, 1, 1}};
    };
    EXPECT_EQ(handoff::refusalOf(entry("12345.txt")), "");
    EXPECT_EQ(handoff::refusalOf(entry(QStringLiteral("Caf\u00e9 \u20ac.txt"))), "");
    for (const char* name : {"a\\b.txt", "a/b.txt", "c:.txt", "a|b.txt", "a*.txt", "a?.txt", "a\".txt", "<a>.txt"})
        EXPECT_TRUE(handoff::refusalOf(entry(name)).startsWith("its name holds '")) << name;
    EXPECT_EQ(handoff::refusalOf(entry("a\tb.txt")), "its name holds a control character");
    EXPECT_EQ(handoff::refusalOf(entry(QStringLiteral("a\u0081.txt"))), "its name holds a control character");
    EXPECT_TRUE(handoff::refusalOf(entry(QStringLiteral("\u0142\u00f3d\u017a.txt"))).contains("Windows-1252"));
    EXPECT_TRUE(handoff::refusalOf(entry("1.txt", FileStamp::Link)).contains("symbolic link"));
    EXPECT_TRUE(handoff::refusalOf(entry("1.txt", FileStamp::Other)).contains("not a regular file"));
    EXPECT_TRUE(handoff::refusalOf({QStringLiteral("12\ufffd.txt"), "12\xfc.txt", {FileStamp::Regular, 1, 1, 1}}).contains("UTF-8"));

    EXPECT_EQ(handoff::escapedName("a\\b\r\n\xfc.txt"), "a\\x5cb\\x0d\\x0a\\xfc.txt");
}

TEST(NameCheck, ServerNamesAndStoreNumbersArePlainNames)
{
    for (const char* name : {"statsrv", "stat-srv_2.example", "7", "007"})
        EXPECT_TRUE(handoff::isPlainName(name)) << name;
    for (const char* name : {"", ".", "..", "7/../../x", "a\\b", "a b", "host:445", "caf\xc3\xa9"})
        EXPECT_FALSE(handoff::isPlainName(QString::fromUtf8(name))) << name;
}

TEST(Claim, NamesAreHiddenAndLeadBack)
{
    EXPECT_EQ(handoff::claimedPath("\\\\h\\s\\temp\\12345.txt"), "\\\\h\\s\\temp\\.12345.txt.claimed");
    EXPECT_EQ(handoff::unclaimedName(".12345.txt.claimed"), "12345.txt");
    for (const char* other : {"12345.txt", ".claimed", ".12345.txt.XXXXXX"})
        EXPECT_EQ(handoff::unclaimedName(other), "") << other;
}

}  // namespace
