// A run on a temporary share while the share fails under it. Whatever fails, no statement file
// is deleted before its PDF and request are whole, the in folder never holds a partial request,
// and a rerun once the cause is mended finishes the work.
#include "platform/error.h"
#include "tests/reliability/run_rig.h"
#include "tests/reliability/scratch_mount.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <thread>

using reliability::FaultFileSystem;
using reliability::RunRig;
using reliability::ScratchMount;
using Op = FaultFileSystem::Op;

namespace {

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

/// Three statements, the second not to be mailed, the first with invoice details.
void dropThree(RunRig& rig)
{
    rig.drop(3, {2});
    rig.share.dropDetails("1det.txt", "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n");
}

/// After the fault is mended: the watch saw nothing wrong, and a rerun files and mails the rest.
void expectSoundAndFinishedByRerun(RunRig& rig)
{
    EXPECT_EQ(joined(rig.violations), "");
    EXPECT_EQ(joined(rig.check().problems()), "");
    rig.inject = nullptr;
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    EXPECT_TRUE(rig.check().allDone()) << joined(rig.check().problems());
    EXPECT_EQ(joined(rig.violations), "");
}

int callsOfACleanRun()
{
    RunRig rig;
    dropThree(rig);
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    EXPECT_TRUE(rig.check().allDone());
    return rig.fs.calls();
}

struct Fault {
    const char* name;
    /// Breaks the share before the call; returns how to mend it, or null when nothing is left to mend.
    std::function<std::function<void()>(RunRig&, Op, const QString&)> strike;
};

const Fault kEveryStep[] = {
    {"the share disappears",
     [](RunRig& rig, Op, const QString&) -> std::function<void()> {
         QDir().rename(rig.share.at("unc/host"), rig.share.at("unc/host-gone"));
         return [&rig] { QDir().rename(rig.share.at("unc/host-gone"), rig.share.at("unc/host")); };
     }},
    {"a device error",
     [](RunRig&, Op op, const QString& path) -> std::function<void()> {
         // The queries report a missing share as false or empty instead of failing.
         if (op != Op::Exists && op != Op::IsFile && op != Op::IsFolder && op != Op::List)
             throw platform::Error(platform::Error::DeviceIO, path);
         return nullptr;
     }},
    {"the disk is full",
     [](RunRig&, Op op, const QString& path) -> std::function<void()> {
         if (op == Op::Write || op == Op::Copy || op == Op::Move)
             throw platform::Error(platform::Error::DiskFull, path);
         return nullptr;
     }},
};

TEST(RunFaults, AFaultAtAnyCallOfATickLosesNothingAndARerunFinishes)
{
    const int calls = callsOfACleanRun();
    ASSERT_GT(calls, 20);
    for (const Fault& fault : kEveryStep) {
        for (int at = 1; at <= calls; ++at) {
            SCOPED_TRACE(std::string(fault.name) + " before call " + std::to_string(at));
            RunRig rig;
            dropThree(rig);
            std::function<void()> mend;
            rig.inject = [&](Op op, const QString& path) {
                if (rig.fs.calls() == at)
                    mend = fault.strike(rig, op, path);
            };
            const int status = rig.once();
            if (status != 0) {
                EXPECT_NE(rig.err.str(), "");
            }
            if (mend)
                mend();
            expectSoundAndFinishedByRerun(rig);
        }
    }
}

struct ReadOnly {
    const char* folder;  ///< relative to the share
    const char* windowsPrefix;
    int status;
    std::string message;
};

const ReadOnly kReadOnly[] = {
    {"unc/host/parlow/email7/statements/out", "\\\\host\\parlow\\email7\\statements\\out\\", 1,
     "Error 70: Permission denied on \\\\host\\parlow\\email7\\statements\\out\\"},
    {"unc/host/parlow/email7/in", "\\\\host\\parlow\\email7\\in\\", 1,
     "Error 70: Permission denied on \\\\host\\parlow\\email7\\in\\STMT_"},
    {"unc/host/tarnlnk/TVK7/STATEMENTS/0105", "\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\", 0, ""},
};

void expectReadOnlyOutcome(RunRig& rig, const ReadOnly& c, int status)
{
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(rig.err.str().substr(0, c.message.size()), c.message);
    if (c.status == 0) {
        // Without an archive copy the statement is still mailed, and the one not to be mailed
        // keeps its PDF in the out folder.
        EXPECT_NE(rig.out.str().find("no archive copy"), std::string::npos);
        EXPECT_TRUE(rig.share.inStore("statements/out/2.0105.PDF"));
        EXPECT_TRUE(rig.check().allDone());
    } else {
        EXPECT_GE(rig.check().waiting(), 2);
        EXPECT_TRUE(QDir(rig.storeFolder("in")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
}

TEST(RunFaults, ReadOnlyFoldersThroughTheFileSystem)
{
    for (const ReadOnly& c : kReadOnly) {
        SCOPED_TRACE(c.folder);
        RunRig rig;
        dropThree(rig);
        rig.inject = [&](Op op, const QString& path) {
            if (reliability::changesDisk(op) && path.startsWith(QLatin1String(c.windowsPrefix)))
                throw platform::Error(platform::Error::PermissionDenied, path);
        };
        expectReadOnlyOutcome(rig, c, rig.once());
        expectSoundAndFinishedByRerun(rig);
    }
}

TEST(RunFaults, ReadOnlyMounts)
{
    for (const ReadOnly& c : kReadOnly) {
        SCOPED_TRACE(c.folder);
        RunRig rig;
        dropThree(rig);
        auto mount = ScratchMount::readOnly(rig.share.at(c.folder));
        if (!mount)
            GTEST_SKIP() << "this machine does not allow mounts";
        const int status = rig.once();
        expectReadOnlyOutcome(rig, c, status);
        mount.reset();
        expectSoundAndFinishedByRerun(rig);
    }
}

TEST(RunFaults, DiskFullWhileThePdfIsWritten)
{
    RunRig rig;
    dropThree(rig);
    auto out = ScratchMount::tmpfs(rig.storeFolder("statements/out"), 64);
    if (!out)
        GTEST_SKIP() << "this machine does not allow mounts";
    const QString filler = ScratchMount::fill(rig.storeFolder("statements/out"));

    EXPECT_EQ(rig.once(), 1);
    const std::string message = "Error 61: Disk full on \\\\host\\parlow\\email7\\statements\\out\\";
    EXPECT_EQ(rig.err.str().substr(0, message.size()), message);
    EXPECT_EQ(QDir(rig.storeFolder("statements/out")).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
    EXPECT_GE(rig.check().waiting(), 1);

    QFile::remove(filler);
    expectSoundAndFinishedByRerun(rig);
}

TEST(RunFaults, DiskFullWhileTheRequestIsWritten)
{
    RunRig rig;
    // The store folder on a small disk of its own, its out folder on a roomy one.
    auto store = ScratchMount::tmpfs(rig.storeFolder(""), 256);
    if (!store)
        GTEST_SKIP() << "this machine does not allow mounts";
    for (const char* folder : {"statements/temp", "statements/tempdet", "statements/out", "in"})
        rig.share.mkdir(rig.share.store(folder));
    auto out = ScratchMount::tmpfs(rig.storeFolder("statements/out"), 4096);
    ASSERT_TRUE(out);
    dropThree(rig);
    const QString filler = ScratchMount::fill(rig.storeFolder(""));

    EXPECT_EQ(rig.once(), 1);
    const std::string message = "Error 61: Disk full on \\\\host\\parlow\\email7\\STMT_";
    EXPECT_EQ(rig.err.str().substr(0, message.size()), message);
    EXPECT_GE(rig.check().waiting(), 1);
    EXPECT_TRUE(QDir(rig.storeFolder("in")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    QFile::remove(filler);
    expectSoundAndFinishedByRerun(rig);
}

/// Starts `brevix --once` on the share.
std::unique_ptr<QProcess> startBrevix(const RunRig& rig)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVIK_UNC_ROOT", rig.share.uncRoot());
    env.insert("TORVIK_HOME", rig.share.at("install"));
    env.insert("XDG_CONFIG_HOME", rig.share.at("config"));
    env.insert("XDG_CACHE_HOME", rig.share.at("cache"));
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral(BREVIX_BINARY), {"--once", "--server", "host", "--store", "7"});
    return process;
}

TEST(RunFaults, KilledDuringATickThenRunAgain)
{
    RunRig rig;
    QSet<int> notMailed;
    for (int i = 5; i <= 90; i += 10)
        notMailed << i;
    rig.drop(90, notMailed);
    const reliability::ShareCheck check = rig.check();

    // Kill after a few statements, each time a little later into the next one.
    int killed = 0;
    for (int round = 0; round < 6 && check.waiting() > 0; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int target = check.waiting() - 3;
        auto brevix = startBrevix(rig);
        ASSERT_TRUE(brevix->waitForStarted());
        while (check.waiting() > target && brevix->state() == QProcess::Running)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 7));
        if (brevix->state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(brevix->processId()), SIGKILL);
            ++killed;
        }
        brevix->waitForFinished();
        EXPECT_EQ(joined(check.problems()), "");
    }
    EXPECT_GE(killed, 3);

    auto brevix = startBrevix(rig);
    ASSERT_TRUE(brevix->waitForFinished(300000));
    EXPECT_EQ(brevix->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(brevix->exitCode(), 0);
    EXPECT_TRUE(check.allDone()) << joined(check.problems());
    EXPECT_EQ(QDir(rig.storeFolder("in")).entryList(QDir::Files | QDir::Hidden).size(), 90 - notMailed.size());
}

}  // namespace
