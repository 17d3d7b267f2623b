// A run on a temporary share while the share fails under it, or the run itself dies. Whatever
// fails, no statement file is deleted before its PDF and request are whole, the in folder never
// holds a partial request, and a rerun once the cause is mended finishes the work, handing each
// statement to the mail sender exactly once with all its pages.
#include "mailer/run/render_pool.h"
#include "platform/error.h"
#include "tests/reliability/run_rig.h"
#include "tests/support/pdf_text.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <tuple>

#include <sched.h>
#include <sys/mount.h>

using reliability::RunRig;
using Op = reliability::FaultFileSystem::Op;

namespace {

/// Statements "1.txt" on, the second not to be mailed, the first with invoice details.
void dropBatch(RunRig& rig, int count = 3)
{
    rig.drop(count, {2});
    rig.share.dropDetails("1det.txt", "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n");
}

/// After the fault is mended: the watch saw nothing wrong; with a mail sender emptying the in
/// folder before and after it, a rerun files the rest and every statement of dropBatch reaches
/// the sender once, its PDF and archive copy whole with the invoice pages.
void expectSoundAndFinishedByRerun(RunRig& rig)
{
    EXPECT_EQ(rig.violations + rig.problems(), "");
    QMap<QString, int> sent;
    rig.takeRequests(sent);
    rig.inject = nullptr;
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    rig.takeRequests(sent);
    QMap<QString, int> once;
    for (const QString& name : rig.statements)
        if (!rig.notMailed.contains(name)) {
            once["STMT_" + name.chopped(4) + ".TXT"] = 1;
            EXPECT_FALSE(rig.share.inStore("STMT_" + name.chopped(4) + ".TXT"));
        }
    EXPECT_EQ(sent, once);
    EXPECT_EQ(rig.waiting(), 0);
    EXPECT_TRUE(QDir(rig.storeFolder("statements/tempdet")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_EQ(testing_support::PdfText(rig.share.readStore("statements/out/1.0105.PDF")).pages, 2);
    // A failed archive copy is left out silently; one that exists is the whole document.
    const QString archived = "unc/host/tarnlnk/TVK7/STATEMENTS/0105/1.0105.PDF";
    EXPECT_EQ(rig.share.exists(archived) ? testing_support::PdfText(rig.share.read(archived)).pages : 2, 2);
}

/// The run dies where it stands: nothing of it runs after, not even its own clean-up.
struct Crash {};

struct Fault {
    const char* name;
    /// What a run that the fault ends says first (after the warning that the delivery record of
    /// the statements it mailed could not be written); null for a run that dies.
    const char* message;
    /// Breaks the share before the call; returns how to mend it, or null when nothing is left to mend.
    std::function<std::function<void()>(RunRig&, Op, const QString&)> strike;
};

const Fault kEveryStep[] = {
    {"the share disappears", "^(No delivery record: [^\\n]*\\n)?(Cannot Connect to: |Error 76: Path not found)",
     [](RunRig& rig, Op, const QString&) -> std::function<void()> {
         QDir().rename(rig.share.at("unc/host"), rig.share.at("unc/host-gone"));
         return [&rig] { QDir().rename(rig.share.at("unc/host-gone"), rig.share.at("unc/host")); };
     }},
    {"a device error", "^(No delivery record: [^\\n]*\\n)?Error 57: Device I/O error",
     [](RunRig&, Op op, const QString& path) -> std::function<void()> {
         // Every call but the queries, which report a missing share as false or empty: a full
         // disk fails a subset of these calls the same way (a real one: DiskFullWhileThePdfIsWritten).
         if (op != Op::Query)
             throw platform::Error(platform::Error::DeviceIO, path);
         return nullptr;
     }},
    {"the run dies", nullptr, [](RunRig&, Op, const QString&) -> std::function<void()> { throw Crash{}; }},
};

/// A call as every run makes it, whichever thread makes it when: its kind, its file without run
/// ids and attempt numbers, and how many such calls came before it.
using Call = std::tuple<Op, QString, int>;
Call callOf(Op op, const QString& path, QHash<QPair<int, QString>, int>& seen)
{
    static const QRegularExpression runAndAttempt("[0-9a-f]{32}(-[0-9]+d?)?");
    const QString file = QString(path).replace(runAndAttempt, "#");
    return {op, file, ++seen[{int(op), file}]};
}

TEST(RunFaults, AFaultAtAnyCallOfATickLosesNothingAndARerunFinishes)
{
    // Also with the statements rendered on two workers, whose calls interleave differently in each
    // run: each call of a run without faults is struck in turn where it comes again.
    for (const bool parallel : {false, true}) {
        RunRig clean(0, testing_support::memoryFolder());
        clean.fs.parallel = parallel;
        dropBatch(clean, parallel ? 4 : 3);
        std::vector<Call> calls;
        QHash<QPair<int, QString>, int> seen;
        std::set<std::thread::id> pdfWriters;
        clean.inject = [&](Op op, const QString& path) {
            calls.push_back(callOf(op, path, seen));
            if (op == Op::Write && path.contains(QLatin1String("\\statements\\out\\.")))
                pdfWriters.insert(std::this_thread::get_id());
        };
        ASSERT_EQ(clean.once(), 0) << clean.err.str();
        ASSERT_TRUE(clean.allDone());
        ASSERT_GT(calls.size(), 20u);
        // Rendered on workers where there are cores for two; whether both take a statement is the
        // scheduler's choice, so a batch of four gives the second a fair chance.
        ASSERT_GE(pdfWriters.size(), parallel && run::renderThreads() > 1 ? 2u : 1u);
        for (const Fault& fault : kEveryStep) {
            for (const Call& at : calls) {
                SCOPED_TRACE(std::string(fault.name) + " before " + std::to_string(int(std::get<0>(at))) + " "
                             + std::get<1>(at).toStdString() + " #" + std::to_string(std::get<2>(at))
                             + (parallel ? ", rendered on workers" : ""));
                RunRig rig(0, testing_support::memoryFolder());
                rig.fs.parallel = parallel;
                dropBatch(rig, parallel ? 4 : 3);
                std::function<void()> mend;
                QHash<QPair<int, QString>, int> seenHere;
                bool struck = false;
                rig.inject = [&](Op op, const QString& path) {
                    if (callOf(op, path, seenHere) == at || (!fault.message && struck)) {
                        struck = true;
                        mend = fault.strike(rig, op, path);
                    }
                };
                try {
                    if (rig.once() != 0) {
                        EXPECT_TRUE(QRegularExpression(fault.message).match(QString::fromStdString(rig.err.str())).hasMatch())
                            << rig.err.str();
                    }
                } catch (const Crash&) {
                }
                if (mend)
                    mend();
                EXPECT_TRUE(struck || std::get<1>(at).contains(".brevix."));  // a heartbeat is beaten by the clock
                expectSoundAndFinishedByRerun(rig);
            }
        }
    }
}

TEST(RunFaults, ReadOnlyFolders)
{
    // What holds in any order the folder lists the statements: a statement whose own files can
    // all be claimed is mailed, whichever of the others cannot be.
    const struct {
        const char* prefix;
        int status;
        std::string message;
        int waiting;        // statements left in the temp folder, as they were or claimed
        QStringList mailed;  // requests in the in folder while the fault holds
    } cases[] = {
        {"\\\\host\\parlow\\email7\\statements\\out\\", 1,
         "Error 70: Permission denied on \\\\host\\parlow\\email7\\statements\\out\\", 3, {}},
        {"\\\\host\\parlow\\email7\\in\\", 1, "Error 70: Permission denied on \\\\host\\parlow\\email7\\in\\STMT_", 2, {}},
        // Where a statement cannot be claimed it cannot be deleted either: it is not mailed.
        {"\\\\host\\parlow\\email7\\statements\\temp\\", 1,
         "Error 70: Permission denied on \\\\host\\parlow\\email7\\statements\\temp\\", 3, {}},
        {"\\\\host\\parlow\\email7\\statements\\tempdet\\", 1,
         "Error 70: Permission denied on \\\\host\\parlow\\email7\\statements\\tempdet\\", 1, {"STMT_3.TXT"}},
        // Told once for the three statements, of the folder rather than of each file.
        {"\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\", 0,
         "No archive copy: Error 70: Permission denied in \\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105 (", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        RunRig rig;
        dropBatch(rig);
        rig.inject = [&](Op op, const QString& path) {
            if (reliability::FaultFileSystem::changesDisk(op) && path.startsWith(QLatin1String(c.prefix)))
                throw platform::Error(platform::Error::PermissionDenied, path);
        };
        // As often as a service would start again: not one request gets out.
        for (int run = 0; run < (c.status ? 5 : 1); ++run) {
            EXPECT_EQ(rig.once(), c.status);
            EXPECT_EQ(rig.err.str().substr(0, c.message.size()), c.message);
            EXPECT_EQ(rig.err.str().find("The statement cannot be claimed") != std::string::npos,
                      QString(c.prefix).contains("temp"));
        }
        if (c.status == 0) {
            // Without an archive copy the statement is still mailed, and the one not to be mailed
            // keeps its PDF in the out folder.
            EXPECT_NE(rig.out.str().find("no archive copy"), std::string::npos);
            EXPECT_EQ(rig.err.str().find("No archive copy", 1), std::string::npos);
            EXPECT_TRUE(rig.share.inStore("statements/out/2.0105.PDF"));
            EXPECT_TRUE(rig.allDone());
        } else {
            EXPECT_EQ(rig.waiting(), c.waiting);
            EXPECT_EQ(QDir(rig.storeFolder("in")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), c.mailed);
            // Unclaimed, a request written in the store folder is taken back.
            EXPECT_FALSE(QString(c.prefix).contains("temp") && rig.share.inStore("STMT_1.TXT"));
        }
        expectSoundAndFinishedByRerun(rig);
    }
}

// A real full disk, for the operating system's own error and the temporary file it leaves behind.
TEST(RunFaults, DiskFullWhileThePdfIsWritten)
{
    RunRig rig;
    dropBatch(rig);
    const QString out = rig.storeFolder("statements/out");
    const QByteArray at = QFile::encodeName(out);
    // In a mount namespace of this thread's own, so that the mount never reaches the machine.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", at.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
        GTEST_SKIP() << "this machine does not allow mounts";
    QFile filler(out + "/filler");
    filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    while (filler.write(QByteArray(4096, 'x')) > 0) {
    }
    filler.close();

    EXPECT_EQ(rig.once(), 1);
    const std::string message = "Error 61: Disk full on \\\\host\\parlow\\email7\\statements\\out\\";
    EXPECT_EQ(rig.err.str().substr(0, message.size()), message);
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
    EXPECT_GE(rig.waiting(), 1);

    filler.remove();
    expectSoundAndFinishedByRerun(rig);
    ::umount2(at.constData(), MNT_DETACH);
}

}  // namespace
