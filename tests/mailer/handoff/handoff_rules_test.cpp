#include "mailer/handoff/hidden_names.h"
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

TEST(HiddenNames, EachNameLeadsBackToItsStatementAttemptAndOwner)
{
    const QString run = handoff::newRunId(), other = handoff::newRunId();
    ASSERT_TRUE(handoff::isRunId(run));
    ASSERT_NE(run, other);
    const QString t = handoff::attemptToken(run, 7, true);
    EXPECT_TRUE(handoff::tokenHasDetail(t));
    EXPECT_FALSE(handoff::tokenHasDetail(handoff::attemptToken(run, 7, false)));
    EXPECT_EQ(handoff::runOfToken(t), run);

    const QString claimed = handoff::claimedPath("\\\\h\\s\\temp\\a.b.txt", t, other);
    EXPECT_EQ(claimed, "\\\\h\\s\\temp\\.a.b.txt." + t + "." + other + ".claimed");
    const handoff::ClaimName claim = handoff::parseClaim(handoff::nameOf(claimed));
    EXPECT_EQ(claim.name, "a.b.txt");
    EXPECT_EQ(claim.token, t);
    EXPECT_EQ(claim.owner, other);
    const handoff::StagedName staged = handoff::parseStaged(handoff::nameOf(handoff::stagedPath("o\\1.0105.PDF", t, run)));
    EXPECT_EQ(staged.name, "1.0105.PDF");
    EXPECT_EQ(staged.writer, run);
    for (const bool mail : {true, false}) {
        const handoff::RequestName bound = handoff::parseRequest(handoff::nameOf(handoff::requestPath("s", "AB.1", t, mail)));
        EXPECT_EQ(bound.account, "AB.1");
        EXPECT_EQ(bound.token, t);
    }
    EXPECT_EQ(handoff::parseHeartbeat(handoff::nameOf(handoff::heartbeatPath("s", run))), run);
    // Names of other kinds, earlier versions' and temporary files are none of these.
    for (const char* text : {"12345.txt", ".12345.txt.claimed", ".12345.txt.ws-2-4711-1a2b.claimed", ".claimed",
                             ".12345.txt.XXXXXX", ".STMT_1.TXT", ".brevix.ws1-1-1.alive"}) {
        EXPECT_EQ(handoff::parseClaim(text).name, "") << text;
        EXPECT_EQ(handoff::parseStaged(text).name, "") << text;
        EXPECT_EQ(handoff::parseRequest(text).token, "") << text;
        EXPECT_EQ(handoff::parseHeartbeat(text), "") << text;
    }
}

// Two runs of one store: what one judges of the other, by its own clock only.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() : fs(platform::PathMapper({tree.path(), {}, {}})) { tree.mkdir("host/parlow/email7"); }
    /// A run as another workstation sees it: it knows nothing of this process's runs.
    std::unique_ptr<handoff::StoreSession> session(handoff::Whereabouts where = elsewhere())
    {
        handoff::Liveness::Options options;
        options.self = where;
        options.clock = [this] { return now; };
        options.processGone = [this](qint64 pid) { return pid == gonePid; };
        options.knowsOwnRuns = false;
        return std::make_unique<handoff::StoreSession>(fs, kLock, "brevix --watch", options);
    }
    static handoff::Whereabouts elsewhere()
    {
        static int n = 0;
        return {QStringLiteral("ws%1").arg(++n), 4711, 4026531836, QStringLiteral("boot-%1").arg(n)};
    }
    static constexpr const char* kLock = "\\\\host\\parlow\\email7\\brevix.lock";
    testing_support::TempTree tree;
    platform::LocalFileSystem fs;
    qint64 now = 1'000'000;
    qint64 gonePid = -1;
};

TEST_F(SessionTest, ARunIsDeadOnlyOnceThisRunSawItsBeatStandStillOrItsProcessEnd)
{
    using State = handoff::Liveness::State;
    auto a = session();
    ASSERT_EQ(a->take(), handoff::StoreSession::Take::Taken);
    auto b = session();
    const QString aId = a->runId();
    EXPECT_EQ(b->liveness().judge(aId), State::Unknown);  // first sight tells nothing
    now += handoff::kStaleMs - 1;
    EXPECT_EQ(b->liveness().judge(aId), State::Unknown);
    a->beat();  // a beat keeps it alive however long it runs
    EXPECT_EQ(b->liveness().judge(aId), State::Alive);
    now += handoff::kStaleMs;
    EXPECT_EQ(b->liveness().judge(aId), State::Dead);

    // A deleted heartbeat is only a beat that stands still: dead after the same wait, not at once.
    auto c = session();
    c->beat();
    EXPECT_EQ(b->liveness().judge(c->runId()), State::Unknown);
    QFile::remove(tree.at("host/parlow/email7/.brevix." + c->runId() + ".alive"));
    EXPECT_EQ(b->liveness().judge(c->runId()), State::Alive);  // it changed
    now += handoff::kStaleMs - 1;
    EXPECT_EQ(b->liveness().judge(c->runId()), State::Unknown);

    // A process gone is proof only on the same machine and in the same process namespace; a
    // cloned workstation's host name is not.
    handoff::Whereabouts here = elsewhere(), clone = here, container = here;
    clone.bootId = "another boot";
    container.pidNamespace = 4026532000;
    gonePid = 4711;
    auto d = session(here);
    d->beat();
    EXPECT_EQ(session(here)->liveness().judge(d->runId()), State::Ended);
    EXPECT_EQ(session(clone)->liveness().judge(d->runId()), State::Unknown);
    EXPECT_EQ(session(container)->liveness().judge(d->runId()), State::Unknown);
    handoff::Whereabouts hidden = here;
    hidden.bootId.clear();  // a service with ProcSubset=pid
    EXPECT_EQ(session(hidden)->liveness().judge(d->runId()), State::Unknown);
}

TEST_F(SessionTest, ALockThatDoesNotReachTheServerIsToldByTheHeartbeat)
{
    auto a = session();
    ASSERT_EQ(a->take(), handoff::StoreSession::Take::Taken);
    // A second mount whose lock is granted although another run holds it: simulated by a lock
    // file that names that run while nobody holds the lock.
    const std::string text = tree.read("host/parlow/email7/brevix.lock");
    a->beat();
    const QString alive = tree.at("host/parlow/email7/.brevix." + a->runId() + ".alive");
    QFile::copy(alive, alive + ".kept");
    a.reset();
    QFile::rename(alive + ".kept", alive);
    tree.write("host/parlow/email7/brevix.lock", text);
    auto b = session();
    EXPECT_EQ(b->take(), handoff::StoreSession::Take::NotCarried);
    EXPECT_FALSE(b->otherSeenBeating());
    EXPECT_TRUE(b->busyHolder().startsWith("brevix --watch, process 4711 on ws")) << b->busyHolder().toStdString();
    EXPECT_EQ(tree.read("host/parlow/email7/brevix.lock"), text);  // left as it was
    now += handoff::kStaleMs;
    EXPECT_EQ(b->take(), handoff::StoreSession::Take::Taken);
}

TEST_F(SessionTest, AHolderLetsGoWhenItsLockFileIsDeletedReplacedOrRewritten)
{
    for (const char* how : {"deleted", "replaced", "names another run"}) {
        auto a = session();
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
