#include "mailer/handoff/claim.h"
#include "mailer/handoff/name_check.h"
#include "mailer/handoff/settle_watch.h"
#include "mailer/handoff/store_session.h"

#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

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

// Links, other kinds of entry, names outside Windows-1252 or UTF-8: HostileInput, end to end.
TEST(NameCheck, RefusesEntriesThatCannotTravelAsAStatement)
{
    auto entry = [](const QString& name, FileStamp::Kind kind = FileStamp::Regular) {
        return platform::FolderEntry{name, name.toUtf8(), {kind, 1, 1, 1}};
    };
    EXPECT_EQ(handoff::refusalOf(entry("12345.txt")), "");
    EXPECT_EQ(handoff::refusalOf(entry(QStringLiteral("Caf\u00e9 \u20ac.txt"))), "");
    for (const char* name : {"a\\b.txt", "a/b.txt", "c:.txt", "a|b.txt", "a*.txt", "a?.txt", "a\".txt", "<a>.txt"})
        EXPECT_TRUE(handoff::refusalOf(entry(name)).startsWith("its name holds '")) << name;
    EXPECT_EQ(handoff::refusalOf(entry(QStringLiteral("a\u0081.txt"))), "its name holds a control character");

    EXPECT_EQ(handoff::escapedName("a\\b\r\n\xfc.txt"), "a\\x5cb\\x0d\\x0a\\xfc.txt");
}

TEST(NameCheck, ServerNamesAndStoreNumbersArePlainNames)
{
    for (const char* name : {"statsrv", "stat-srv_2.example", "7", "007"})
        EXPECT_TRUE(handoff::isPlainName(name)) << name;
    for (const char* name : {"", ".", "..", "7/../../x", "a\\b", "a b", "host:445", "caf\xc3\xa9"})
        EXPECT_FALSE(handoff::isPlainName(QString::fromUtf8(name))) << name;
}

TEST(Claim, NamesAreHiddenCarryTheRunAndLeadBack)
{
    const QString run = handoff::makeRunId("ws-2.example", 4711, 0x1a2b);
    EXPECT_EQ(handoff::claimedPath("\\\\h\\s\\temp\\12345.txt", run), "\\\\h\\s\\temp\\.12345.txt.ws-2example-4711-1a2b.claimed");
    const struct {
        const char* hidden;
        const char* name;
        const char* run;
    } cases[] = {
        {".12345.txt.ws-2example-4711-1a2b.claimed", "12345.txt", "ws-2example-4711-1a2b"},
        {".12345.txt.claimed", "12345.txt", ""},  // an earlier version's claim
        {".a.b-1-f.txt.claimed", "a.b-1-f.txt", ""},
        {"12345.txt", "", ""},
        {".claimed", "", ""},
        {".12345.txt.XXXXXX", "", ""},
    };
    for (const auto& c : cases) {
        const handoff::ClaimName claim = handoff::parseClaim(c.hidden);
        EXPECT_EQ(claim.name, c.name) << c.hidden;
        EXPECT_EQ(claim.runId, c.run) << c.hidden;
    }
}

// Two runs of one store on mounts that do not carry the lock: the heartbeat tells them apart.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() : fs(platform::PathMapper({tree.path(), {}, {}})) { tree.mkdir("host/parlow/email7"); }
    std::unique_ptr<handoff::StoreSession> session(const char* host, qint64 pid)
    {
        return std::make_unique<handoff::StoreSession>(fs, kLock, "brevix --watch", [this] { return now; }, host, pid);
    }
    static constexpr const char* kLock = "\\\\host\\parlow\\email7\\brevix.lock";
    testing_support::TempTree tree;
    platform::LocalFileSystem fs;
    qint64 now = 1'000'000;
};

TEST_F(SessionTest, ARunIsDeadOnceItsHeartbeatIsGoneStaleOrItsProcessEnded)
{
    auto a = session("ws1", 4711);
    ASSERT_EQ(a->take(), handoff::StoreSession::Take::Taken);
    auto b = session("ws2", 4712);
    const QString aId = a->runId();
    EXPECT_FALSE(b->isDead(aId));
    now += handoff::kStaleMs;
    EXPECT_FALSE(b->isDead(aId));
    a->beat();  // a beat keeps it alive however long it runs
    now += handoff::kStaleMs;
    EXPECT_FALSE(b->isDead(aId));
    now += 1;
    EXPECT_TRUE(b->isDead(aId));
    EXPECT_FALSE(b->isDead(b->runId()));

    // On its own host, a run whose process is gone is dead at once.
    auto c = session("ws2", 999'999'999);
    c->beat();
    EXPECT_TRUE(b->isDead(c->runId()));
    c->end();  // ended: its heartbeat file is gone
    EXPECT_TRUE(session("ws3", 1)->isDead(c->runId()));
}

TEST_F(SessionTest, ALockThatDoesNotReachTheServerIsToldByTheHeartbeat)
{
    auto a = session("ws1", 4711);
    ASSERT_EQ(a->take(), handoff::StoreSession::Take::Taken);
    // A second mount whose lock is granted although ws1 holds it: simulated by a lock file that
    // names ws1 while nobody holds the lock.
    const std::string text = tree.read("host/parlow/email7/brevix.lock");
    ASSERT_NE(text, "");
    a.reset();
    tree.write("host/parlow/email7/brevix.lock", text);
    tree.write("host/parlow/email7/.brevix.ws1-4711-f4240.alive", "run ws1-4711-f4240\nbeat 1000000\n");
    auto b = session("ws2", 4712);
    EXPECT_EQ(b->take(), handoff::StoreSession::Take::NotCarried);
    EXPECT_TRUE(b->busyHolder().startsWith("brevix --watch, process 4711 on ")) << b->busyHolder().toStdString();
    EXPECT_EQ(tree.read("host/parlow/email7/brevix.lock"), text);  // left as it was
    now += handoff::kStaleMs + 1;
    EXPECT_EQ(b->take(), handoff::StoreSession::Take::Taken);
}

TEST_F(SessionTest, AHolderLetsGoWhenItsLockFileIsDeletedReplacedOrRewritten)
{
    for (const char* how : {"deleted", "replaced", "names another run"}) {
        auto a = session("ws1", 4711);
        ASSERT_EQ(a->take(), handoff::StoreSession::Take::Taken) << how;
        EXPECT_TRUE(a->stillHeld());
        const QString lock = tree.at("host/parlow/email7/brevix.lock");
        if (std::string(how) == "deleted") {
            QFile::remove(lock);
        } else if (std::string(how) == "replaced") {
            QFile::remove(lock);
            tree.write("host/parlow/email7/brevix.lock", "");
        } else {
            tree.write("host/parlow/email7/brevix.lock.new", "x\nrun ws9-1-1\n");
            QFile f(lock);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));  // same file, new text
            f.write("x\nrun ws9-1-1\n");
        }
        EXPECT_FALSE(a->stillHeld()) << how;
        EXPECT_FALSE(a->held()) << how;
        QFile::remove(lock);
    }
}

}  // namespace
