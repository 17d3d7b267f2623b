// A live run judged dead while it is only paused, in each of the ways that happen where stores run
// it: whatever step it stood at, however the other run came to judge it dead, and whether that
// run is itself stopped halfway, every statement reaches the mail sender exactly once, whole, with
// its own invoice pages, no run says "recovered" of what it did not hand off, and none fails.
#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/store_session.h"
#include "mailer/run/statement_mailer.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/support/pdf_text.h"
#include "tests/support/statement_share.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

using reliability::FaultFileSystem;
using Op = FaultFileSystem::Op;

namespace {

const QString kLock = "\\\\host\\parlow\\email7\\brevix.lock";
// Statements named after their accounts: 10001 with invoice details, 10002 not to be mailed.
const int kAccounts[] = {10001, 10002, 10003, 10004};

/// Where a run is stopped: the first call of a kind in a folder on a name that matches.
struct Step {
    const char* what;
    Op op;
    const char* folder;
    const char* name;  ///< a regular expression
    bool torn = false;  ///< the run stops with part of the file written
    bool matches(Op o, const QString& path) const
    {
        return o == op && path.contains(QLatin1String(folder))
               && QRegularExpression(QLatin1String(name)).match(path.section('\\', -1)).hasMatch();
    }
};

const Step kSteps[] = {
    {"staging a PDF", Op::Write, "\\out\\", "^\\..*\\.PDF\\."},
    {"binding a request", Op::Write, "\\email7\\", "^\\.STMT_"},
    {"claiming a statement", Op::Move, "\\temp\\", "\\.claimed$"},
    {"claiming a detail file", Op::Move, "\\tempdet\\", "\\.claimed$"},
    {"publishing a PDF", Op::Move, "\\out\\", "^[^.].*\\.PDF$"},
    {"copying to the archive", Op::Write, "\\tarnlnk\\", "\\.PDF$"},
    {"handing off", Op::Move, "\\in\\", "^STMT_"},
    {"removing the marker of one not mailed", Op::Remove, "\\email7\\", "^\\.FILE_"},
    {"dropping a detail claim", Op::Remove, "\\tempdet\\", "\\.claimed$"},
    {"dropping a statement claim", Op::Remove, "\\temp\\", "\\.claimed$"},
    {"copying to the archive, part of the copy written", Op::Write, "\\tarnlnk\\", "\\.PDF$", true},
};

/// What a run said, statement by statement.
struct Said : run::StatementObserver {
    std::mutex mutex;
    QMap<QString, QStringList> lines;
    QStringList failures;
    void filed(const run::MailedStatement& s) override { add(s.file, s.mailed ? "mailed" : "filed"); }
    void recovered(const run::MailedStatement& s) override
    {
        if (!s.handedOffBefore)  // the run that handed it off told it; only its record may be missing
            add(s.file, "recovered");
    }
    void lost(const run::MailedStatement& s) override { add(s.file, "lost"); }
    void failed(const run::RunFailure& f) override { failures << f.text; }
    void add(const QString& file, const char* what)
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines[file] << what;
    }
};

/// One workstation's run on the share: its own file system view, clock and heartbeat.
struct Workstation {
    Workstation(testing_support::StatementShare& share, handoff::Whereabouts where, bool locksCarried, bool noReplace)
        : local(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})), fs(local),
          session(fs, kLock, "the test", options(where)), mailer(values(), fs, session, said, 0)
    {
        fs.locksCarried = locksCarried;
        fs.renamesWithoutReplace = noReplace;
    }
    handoff::Liveness::Options options(handoff::Whereabouts where)
    {
        handoff::Liveness::Options o;
        o.self = where;
        o.clock = [this] { return now.load(); };
        o.processGone = [this](qint64) { return othersGone; };
        o.knowsOwnRuns = false;  // it plays another machine
        return o;
    }
    input::modBrevix& values()
    {
        run.ServerName = "host";
        run.StoreNumber = "7";
        return run;
    }
    /// Takes the store, watching a silent holder as long as it takes to tell it ended.
    bool take()
    {
        for (int i = 0; i < 3; ++i, now += handoff::kStaleMs)
            if (session.take() == handoff::StoreSession::Take::Taken)
                return true;
        return false;
    }
    /// Finishes what dead runs left (watched for the stale time), then mails what waits.
    void work()
    {
        try {
            mailer.recover();
            now += handoff::kStaleMs;
            mailer.recover();
            for (int look = 0; look < 3; ++look)
                if (const auto ready = mailer.look(); !ready.empty())
                    mailer.mail(ready, {}, true);
        } catch (...) {
        }
    }

    platform::LocalFileSystem local;
    FaultFileSystem fs;
    std::atomic<qint64> now{1'000'000};
    bool othersGone = false;
    Said said;
    input::modBrevix run;
    handoff::StoreSession session;
    run::StatementMailer mailer;
};

/// Stops a workstation's calls at a step until let go.
struct Pause {
    std::mutex mutex;
    std::condition_variable changed;
    bool reached = false, released = false;
    void at(Workstation& w, const Step& step)
    {
        w.fs.before = [this, &w, &step](Op op, const QString& path) {
            std::unique_lock<std::mutex> lock(mutex);
            if (reached || !step.matches(op, path))
                return;
            reached = true;
            if (step.torn) {
                QFile part(w.local.hostPath(path));
                part.open(QIODevice::WriteOnly);
                part.write("%PDF-1.7\n%\xe2\xe3");
            }
            changed.notify_all();
            changed.wait(lock, [this] { return released; });
        };
    }
    bool waitReached()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [this] { return reached; });
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
};

/// How the second run came to judge the first dead.
enum class Route { StaleBeat, SameHostProcessGone, DeletedHeartbeat, DeletedLock };
const std::pair<Route, const char*> kRoutes[] = {
    {Route::StaleBeat, "its beat stood still for the stale time"},
    {Route::SameHostProcessGone, "same host name, its process id not seen"},
    {Route::DeletedHeartbeat, "its heartbeat file deleted"},
    {Route::DeletedLock, "the lock file deleted by hand"},
};

/// A share with the statements dropped, and the runs on it.
class Scenario {
public:
    explicit Scenario(bool smbnetfs) : renamesWithoutReplace(!smbnetfs)
    {
        const std::string details = "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n";
        share.dropDetails("10001det.txt", details);
        for (int i : kAccounts)
            share.drop(QString("%1.txt").arg(i), testing_support::statementText(std::to_string(i), {}, i == 10002 ? "A" : ""));
    }
    std::unique_ptr<Workstation> workstation(handoff::Whereabouts where, bool locksCarried = false)
    {
        return std::make_unique<Workstation>(share, where, locksCarried, renamesWithoutReplace);
    }
    /// The mail sender: takes every request out of the in folder, counting them by name.
    void takeRequests()
    {
        QDir in(share.at(share.store("in")));
        for (const QString& name : in.entryList(QDir::Files | QDir::Hidden)) {
            ++sent[name];
            in.remove(name);
        }
    }
    /// `finisher` takes over from the paused run and finishes; the sender takes what it handed
    /// off; then the paused run goes on to its end, and the sender takes what it handed off.
    void finishThenResume(Workstation& finisher, Pause& pause, std::thread& paused)
    {
        finisher.work();
        takeRequests();
        pause.release();
        paused.join();
        takeRequests();
    }
    /// Every statement handed off once with its own whole PDF, nothing left claimed, one line each.
    void expectEachMailedOnce(const std::vector<Workstation*>& runs)
    {
        takeRequests();
        EXPECT_EQ(sent, (QMap<QString, int>{{"STMT_10001.TXT", 1}, {"STMT_10003.TXT", 1}, {"STMT_10004.TXT", 1}}));
        for (int i : {10001, 10003, 10004}) {
            const testing_support::PdfText pdf(share.readStore(QString("statements/out/%1.0105.PDF").arg(i)));
            EXPECT_EQ(pdf.pages, i == 10001 ? 2 : 1) << i;
            EXPECT_NE(pdf.text.find(std::to_string(i)), std::string::npos) << i;
        }
        // An archive copy cut short by a run's end is written again whole.
        for (int i : kAccounts) {
            const QString copy = QString("unc/host/tarnlnk/TVK7/STATEMENTS/0105/%1.0105.PDF").arg(i);
            EXPECT_EQ(share.exists(copy) ? testing_support::PdfText(share.read(copy)).pages : 0, i == 10001 ? 2 : 1) << i;
        }
        for (const char* folder : {"statements/temp", "statements/tempdet"})
            EXPECT_EQ(QDir(share.at(share.store(folder))).entryList(QDir::Files | QDir::Hidden), QStringList()) << folder;
        for (int i : kAccounts) {
            QStringList told;
            for (Workstation* w : runs)
                for (const QString& line : w->said.lines.value(QString("%1.txt").arg(i)))
                    if (line != "lost")
                        told << line;
            EXPECT_EQ(told.size(), 1) << i << ": " << told.join(", ").toStdString();
        }
        for (Workstation* w : runs)
            EXPECT_EQ(w->said.failures.join("\n").toStdString(), "");
    }
    /// A third run, once the others are gone: finishes what they left.
    void finishLeftovers(std::vector<Workstation*> runs)
    {
        auto c = workstation({"ws-c", 3, 1, "boot-c"});
        ASSERT_TRUE(c->take());
        c->work();
        runs.push_back(c.get());
        expectEachMailedOnce(runs);
    }

    testing_support::StatementShare share;
    bool renamesWithoutReplace = true;
    /// Requests taken by the mail sender, by name.
    QMap<QString, int> sent;
};

void judgeDead(Workstation& a, Workstation& b, Route route, testing_support::StatementShare& share)
{
    if (route == Route::SameHostProcessGone)
        b.othersGone = true;
    if (route == Route::DeletedHeartbeat)
        QFile::remove(share.at(share.store(".brevix." + a.session.runId() + ".alive")));
    if (route == Route::DeletedLock)
        QFile::remove(share.at(share.store("brevix.lock")));
}

TEST(Takeover, ARunPausedAtAnyStepAndJudgedDeadLosesNothingAndMailsNothingTwice)
{
    for (const bool smbnetfs : {false, true}) {
        for (const Step& step : kSteps) {
            for (const auto& [route, how] : kRoutes) {
                SCOPED_TRACE(std::string(step.what) + ", " + how + (smbnetfs ? ", no rename-without-replace" : ""));
                Scenario s(smbnetfs);
                const handoff::Whereabouts hostA{"ws-a", 1, 1, "boot-a"};
                const bool locksCarried = route == Route::DeletedLock;
                auto a = s.workstation(hostA, locksCarried);
                ASSERT_TRUE(a->take());
                Pause pause;
                pause.at(*a, step);
                std::thread runA([&] { a->work(); });
                if (!pause.waitReached()) {
                    pause.release();
                    runA.join();
                    ADD_FAILURE() << "never reached";
                    continue;
                }
                auto b = s.workstation(route == Route::SameHostProcessGone ? hostA : handoff::Whereabouts{"ws-b", 2, 2, "boot-b"},
                                       locksCarried);
                judgeDead(*a, *b, route, s.share);
                ASSERT_TRUE(b->take());
                s.finishThenResume(*b, pause, runA);
                a->session.end();
                b->session.end();
                s.finishLeftovers({a.get(), b.get()});
            }
        }
    }
}

// The run that takes over is itself stopped at each step of its takeover, and a third one
// judges both dead and finishes; then both go on.
TEST(Takeover, ATakeoverStoppedHalfwayIsFinishedByAThirdRun)
{
    // A takeover's steps are a claim's: the owner's name renamed, the statement rendered again
    // and put in place, handed off, its claims dropped.
    for (const int at : {2, 3, 0, 4, 6, 7, 9}) {
        const Step& step = kSteps[at];
        SCOPED_TRACE(step.what);
        Scenario s(false);
        auto a = s.workstation({"ws-a", 1, 1, "boot-a"});
        ASSERT_TRUE(a->take());
        Pause pauseA, pauseB;
        pauseA.at(*a, kSteps[5]);  // every statement claimed, none handed off
        std::thread runA([&] { a->work(); });
        ASSERT_TRUE(pauseA.waitReached());
        auto b = s.workstation({"ws-b", 2, 2, "boot-b"});
        ASSERT_TRUE(b->take());
        pauseB.at(*b, step);
        std::thread runB([&] { b->work(); });
        ASSERT_TRUE(pauseB.waitReached());
        auto c = s.workstation({"ws-c", 3, 3, "boot-c"});
        ASSERT_TRUE(c->take());
        s.finishThenResume(*c, pauseB, runB);
        pauseA.release();
        runA.join();
        for (Workstation* w : {a.get(), b.get(), c.get()})
            w->session.end();
        s.finishLeftovers({a.get(), b.get(), c.get()});
    }
}

// A statement of the same name dropped while the first is claimed by a run that looks dead: each
// goes out once, with its own invoice pages, and the first's detail file never travels with the
// second.
TEST(Takeover, ASecondStatementOfTheSameNameKeepsToItsOwnDetailFile)
{
    Scenario s(true);
    s.share.mkdir("unc/host/tarnlnk/TVK7/STATEMENTS/0106");
    auto a = s.workstation({"ws-a", 1, 1, "boot-a"});
    ASSERT_TRUE(a->take());
    Pause pause;
    pause.at(*a, kSteps[4]);  // claimed, not yet published
    std::thread runA([&] { a->work(); });
    ASSERT_TRUE(pause.waitReached());
    s.share.drop("10001.txt", testing_support::statementText("20001", {}, "", "0106"));
    s.share.dropDetails("10001det.txt", "H\t2\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-2\t\t\t1\tX\t1\t1\t\t1\t\t\r\n");
    auto b = s.workstation({"ws-b", 2, 2, "boot-b"});
    ASSERT_TRUE(b->take());
    s.finishThenResume(*b, pause, runA);
    EXPECT_EQ(s.sent, (QMap<QString, int>{{"STMT_10001.TXT", 1}, {"STMT_10003.TXT", 1}, {"STMT_10004.TXT", 1}, {"STMT_20001.TXT", 1}}));
    const std::string first = testing_support::PdfText(s.share.readStore("statements/out/10001.0105.PDF")).text;
    const std::string second = testing_support::PdfText(s.share.readStore("statements/out/10001.0106.PDF")).text;
    EXPECT_NE(first.find("INV-1"), std::string::npos);
    EXPECT_EQ(first.find("INV-2"), std::string::npos);
    EXPECT_NE(second.find("INV-2"), std::string::npos);
    EXPECT_EQ(second.find("INV-1"), std::string::npos);
    EXPECT_EQ(QDir(s.share.at(s.share.store("statements/tempdet"))).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// What a run that lost its claim race, or died before its claim, left: its request stays
// unmailed, and goes only when a week old; its staged PDF is garbage at once.
TEST(Takeover, AStrayBoundRequestIsNeverMailedAndGoesWhenAWeekOld)
{
    Scenario s(false);
    const QString dead = handoff::newRunId(), token = handoff::attemptToken(dead, 1, false);
    const QString stray = ".STMT_10003." + token + ".TXT", staged = ".10003.0105.PDF." + token + "." + dead;
    s.share.write(s.share.store(stray), "[EMAIL]\r\nMAILTO=someone@else.example\r\nATTACH=statements\\out\\10003.0105.PDF\r\n");
    s.share.write(s.share.store("statements/out/" + staged), "%PDF-half");
    auto b = s.workstation({"ws-b", 2, 2, "boot-b"});
    ASSERT_TRUE(b->take());
    b->work();
    s.takeRequests();
    EXPECT_EQ(s.sent, (QMap<QString, int>{{"STMT_10001.TXT", 1}, {"STMT_10003.TXT", 1}, {"STMT_10004.TXT", 1}}));
    EXPECT_EQ(s.share.readStore("statements/out/10003.0105.PDF").rfind("%PDF-1", 0), 0u);
    EXPECT_TRUE(s.share.inStore(stray));
    EXPECT_FALSE(s.share.inStore("statements/out/" + staged));

    QFile old(s.share.at(s.share.store(stray)));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(QDateTime::currentDateTime().addDays(-8), QFileDevice::FileModificationTime);
    old.close();
    b->mailer.recover();
    EXPECT_FALSE(s.share.inStore(stray));
}

// The statement was rewritten between its reading and its claim, and the claiming run is taken
// over before it could tell: the request it bound is void, what is claimed goes out as itself.
TEST(Takeover, AClaimOfAnotherFileThanTheOneReadGoesOutAsWhatIsClaimed)
{
    Scenario s(false);
    auto a = s.workstation({"ws-a", 1, 1, "boot-a"});
    ASSERT_TRUE(a->take());
    Pause pause;
    pause.at(*a, kSteps[3]);  // its statement claimed, its detail file not yet
    auto paused = a->fs.before;
    bool rewritten = false;
    a->fs.before = [&](Op op, const QString& path) {
        if (!rewritten && kSteps[2].matches(op, path)) {
            rewritten = true;
            s.share.drop("10001.txt", testing_support::statementText("30001"));
        }
        paused(op, path);
    };
    std::thread runA([&] { a->work(); });
    ASSERT_TRUE(pause.waitReached());
    auto b = s.workstation({"ws-b", 2, 2, "boot-b"});
    ASSERT_TRUE(b->take());
    s.finishThenResume(*b, pause, runA);
    EXPECT_EQ(s.sent, (QMap<QString, int>{{"STMT_10003.TXT", 1}, {"STMT_10004.TXT", 1}, {"STMT_30001.TXT", 1}}));
    const testing_support::PdfText pdf(s.share.readStore("statements/out/10001.0105.PDF"));
    EXPECT_NE(pdf.text.find("30001"), std::string::npos);
    EXPECT_EQ(pdf.pages, 2);
    EXPECT_EQ(b->said.lines.value("10001.txt"), QStringList{"recovered"});
    EXPECT_EQ(a->said.lines.value("10001.txt"), QStringList{"lost"});
    EXPECT_EQ(b->said.failures.join("\n").toStdString() + a->said.failures.join("\n").toStdString(), "");
    a->fs.before = nullptr;  // it calls `paused`, which ends before `a` does
}

}  // namespace
