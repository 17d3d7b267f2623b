// A batch handed off with an error before or after each of its calls in turn, or the run's death
// there, then a second run that judges the first over and finishes: each statement reaches the in
// folder once, naming its own PDF, nothing hidden is left, and each is told once. The documents
// are a few bytes, so every call is tried in little time.
#include "mailer/handoff/handoff.h"
#include "platform/error.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/support/temp_tree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <deque>
#include <map>

namespace {

using reliability::FaultFileSystem;
using End = handoff::Attempt::End;

const QString kShare = "\\\\host\\s\\";

/// A statement file says "<account> <1 when mailed>"; its PDF is "PDF", that text and its detail
/// file's text.
class FakeDocuments : public handoff::Documents {
public:
    explicit FakeDocuments(platform::FileSystem& fs) : fs_(fs) {}
    QString detailOf(const QString& statement) override
    {
        return kShare + "tempdet\\" + handoff::nameOf(statement).chopped(4) + "det.txt";
    }
    handoff::Filing describe(const QString&, const QString& file) override
    {
        const QStringList fields = QString::fromStdString(fs_.readFile(file)).split(' ');
        handoff::Filing f;
        f.account = fields.value(0);
        f.pdf = kShare + "out\\" + f.account + ".PDF";
        f.archiveFolder = kShare + "archive\\";
        f.mail = fields.value(1) == "1";
        if (f.mail) {
            f.destination = kShare + "in\\STMT_" + f.account + ".TXT";
            f.requestLines = {"TO=" + f.account.toStdString(), "ATTACH=" + f.pdf.toStdString()};
        }
        return f;
    }
    std::shared_ptr<const std::string> render(const QString&, const QString& file, const QString& detail,
                                              const QString& staged) override
    {
        auto pdf = std::make_shared<const std::string>("PDF " + fs_.readFile(file)
                                                       + (detail.isEmpty() ? "" : " " + fs_.readFile(detail)));
        fs_.writeFile(staged, *pdf);
        return pdf;
    }
    handoff::Archived archive(const handoff::Filing& f, std::shared_ptr<const std::string> bytes) override
    {
        try {
            fs_.writeFile(f.archiveFolder + handoff::nameOf(f.pdf), bytes ? *bytes : fs_.readFile(f.pdf));
            if (!f.mail)
                fs_.remove(f.pdf);
            return {true, {}};
        } catch (const platform::Error& e) {
            return {false, e.file()};
        }
    }

private:
    platform::FileSystem& fs_;
};

/// A call that fails once it did its work, as a rename or removal whose answer is lost on the wire.
struct WireFaults : FaultFileSystem {
    using FaultFileSystem::FaultFileSystem;
    void moveReplacing(const QString& f, const QString& t) override { FaultFileSystem::moveReplacing(f, t), done(t); }
    void rename(const QString& f, const QString& t) override { FaultFileSystem::rename(f, t), done(t); }
    void remove(const QString& p) override { FaultFileSystem::remove(p), done(p); }
    void writeFile(const QString& p, const std::string& b) override { FaultFileSystem::writeFile(p, b), done(p); }
    void done(const QString& path)
    {
        if (std::exchange(failDone, false))
            throw platform::Error(platform::Error::DeviceIO, path);
    }
    bool failDone = false;
};

using Told = std::map<QString, std::vector<End>>;

/// One run on the share: what waits in temp, described, rendered, bound and handed off.
struct Mailing {
    Mailing(platform::FileSystem& local, bool noReplace, Told& told)
        : fs(local), documents(fs),
          handoff(fs, documents, {kShare + "store", kShare + "temp", kShare + "tempdet", kShare + "out"},
                  handoff::newRunId(),
                  [&told](const handoff::Attempt& a) { told[handoff::nameOf(a.statement)].push_back(a.end); })
    {
        fs.renamesWithoutReplace = noReplace;
    }
    void mailWaiting()
    {
        fs.beginBatch();  // as a run's batch: its flushes together
        std::deque<handoff::Attempt> attempts;
        std::vector<handoff::Attempt*> batch;
        for (const platform::FolderEntry& entry : fs.entries(kShare + "temp", "*", false)) {
            handoff::Attempt& a = attempts.emplace_back();
            a.statement = kShare + "temp\\" + entry.name;
            a.statementStamp = entry.stamp;
            a.detail = documents.detailOf(a.statement);
            a.detailStamp = fs.stamp(a.detail);
            a.token = handoff.newToken(a.detailStamp.has_value());
            try {
                a.filing = documents.describe(a.statement, a.statement);
                a.staged = handoff::stagedPath(a.filing.pdf, a.token, handoff.runId());
                a.pdfBytes = documents.render(a.statement, a.statement, a.detailStamp ? a.detail : QString(), a.staged);
                handoff.bind(a, a.filing.requestLines);
                batch.push_back(&a);
            } catch (const platform::Error&) {
                handoff.unbind(a);  // taken again by the next look
            }
        }
        handoff.handOff(batch, true);
    }
    WireFaults fs;
    FakeDocuments documents;
    handoff::Handoff handoff;
};

/// The run dies where it stands: nothing of it runs after.
struct Crash {};

// Mailed with and without a detail file, not mailed with and without one.
const struct {
    const char* name;
    const char* text;
    const char* detail;
} kStatements[] = {{"1.txt", "1 1", "D1"}, {"2.txt", "2 0", nullptr}, {"3.txt", "3 1", nullptr}, {"4.txt", "4 0", "D4"}};

enum class Fault { Before, After, Dies };

struct Row {
    bool noReplace;
    Fault fault;
    /// How the second run tells that the first is over: its process gone from this machine, or
    /// its beat seen standing still (its stray requests then wait a week).
    bool processGone;
    int at;  ///< the call of the first run struck; 0: none
    /// The second run's first looks at the bound files fail, as on a share that answers a
    /// status query with an I/O error: never a sign that a statement was handed off.
    bool looksFail = false;
};

/// The first run struck at a call, then the second run; gives the first run's calls.
int strikeAndFinish(const Row& row)
{
    testing_support::TempTree tree(testing_support::memoryFolder());
    for (const char* folder : {"store", "temp", "tempdet", "out", "in", "archive"})
        tree.mkdir(QStringLiteral("host/s/") + folder);
    for (const auto& s : kStatements) {
        tree.write(QStringLiteral("host/s/temp/") + s.name, s.text);
        if (s.detail)
            tree.write(QStringLiteral("host/s/tempdet/") + QString(s.name).chopped(4) + "det.txt", s.detail);
    }
    platform::LocalFileSystem local(platform::PathMapper({tree.path(), {}, {}}));
    Told told;
    QMap<QString, int> sent;
    // The mail sender: each request names its own PDF, whole in the out folder.
    const auto takeRequests = [&] {
        QDir in(tree.at("host/s/in"));
        for (const QString& name : in.entryList(QDir::Files | QDir::Hidden)) {
            const std::string n = name.mid(5).chopped(4).toStdString(), pdf = "host/s/out/" + n + ".PDF";
            EXPECT_EQ(tree.read("host/s/in/" + name), "TO=" + n + "\r\nATTACH=\\\\host\\s\\out\\" + n + ".PDF\r\n");
            EXPECT_EQ(tree.read(QString::fromStdString(pdf)).rfind("PDF " + n + " 1", 0), 0u);
            ++sent[name];
            in.remove(name);
        }
    };

    const handoff::Whereabouts host{"ws", 1, 1, "boot"};
    Mailing first(local, row.noReplace, told);
    const QString firstId = first.handoff.runId();
    tree.write("host/s/store/.brevix." + firstId + ".alive", handoff::heartbeatText("test", firstId, host, 1).toStdString());
    first.fs.before = [&](FaultFileSystem::Op op, const QString& path) {
        if (row.fault == Fault::Dies && row.at > 0 && first.fs.calls >= row.at)
            throw Crash{};
        first.fs.failDone = first.fs.calls == row.at && row.fault == Fault::After;
        // Queries answer a failure as false or empty.
        if (first.fs.calls == row.at && row.fault == Fault::Before && op != FaultFileSystem::Op::Query)
            throw platform::Error(platform::Error::DeviceIO, path);
    };
    try {
        first.mailWaiting();
    } catch (const platform::Error&) {
    } catch (const Crash&) {
    }
    takeRequests();

    Mailing second(local, row.noReplace, told);
    qint64 now = 1'000'000;
    // It plays another run on the first one's machine, with a clock of its own.
    handoff::Liveness liveness(second.fs, kShare + "store",
                               {host, [&now] { return now; }, [&row](qint64) { return row.processGone; }, false});
    second.fs.beginBatch();
    bool looksFail = row.looksFail;
    second.fs.before = [&](FaultFileSystem::Op op, const QString& path) {
        if (looksFail && op == FaultFileSystem::Op::Query && path.startsWith(kShare + "store\\."))
            throw platform::Error(platform::Error::DeviceIO, path);
    };
    for (int look = 0; look < 2; ++look) {
        try {
            second.handoff.recover(liveness, true);
        } catch (const platform::Error&) {
            looksFail = false;  // mended: the next look finishes
        }
        now += handoff::kStaleMs;
    }
    second.handoff.recover(liveness, true);
    takeRequests();
    second.mailWaiting();
    takeRequests();

    EXPECT_EQ(sent, (QMap<QString, int>{{"STMT_1.TXT", 1}, {"STMT_3.TXT", 1}})) << sent.keys().join(' ').toStdString();
    for (const auto& s : kStatements) {
        // Told by the run that handed it off or by the one that finished it, or as handed off
        // before by the one that finished it when the first died before it could tell.
        const std::vector<End>& ends = told[s.name];
        const auto n = [&ends](End e) { return std::count(ends.begin(), ends.end(), e); };
        EXPECT_LE(n(End::Filed) + n(End::Recovered), 1) << s.name;
        EXPECT_GE(n(End::Filed) + n(End::Recovered) + n(End::HandedOffBefore), 1) << s.name;
        const QString pdf = QString(s.text).left(1) + ".PDF";
        const std::string filed = tree.read((tree.exists("host/s/out/" + pdf) ? "host/s/out/" : "host/s/archive/") + pdf);
        EXPECT_EQ(filed, std::string("PDF ") + s.text + (s.detail ? std::string(" ") + s.detail : "")) << s.name;
    }
    for (const char* folder : {"temp", "tempdet", "store", "out"}) {
        QStringList left = QDir(tree.at(QStringLiteral("host/s/") + folder)).entryList(QDir::Files | QDir::Hidden);
        left.removeIf([&](const QString& name) {
            return (!name.startsWith('.') && QString(folder) == "out")
                   || (!row.processGone && handoff::runOfToken(handoff::parseRequest(name).token) == firstId);
        });
        EXPECT_EQ(left, QStringList()) << folder;
    }
    return first.fs.calls;
}

TEST(HandoffFaults, AFaultAtAnyCallOfABatchIsFinishedByTheNextRun)
{
    int calls = 0;
    for (const bool noReplace : {true, false})
        for (const Fault fault : {Fault::Before, Fault::After, Fault::Dies})
            for (const bool processGone : {true, false})
                for (const bool looksFail : {false, true}) {
                    if (looksFail && fault != Fault::Dies)
                        continue;
                    for (int at = 0; at <= calls; ++at) {
                        SCOPED_TRACE(std::string(fault == Fault::Dies ? "the run dies" : "an error")
                                     + (fault == Fault::After ? " after call " : " before call ") + std::to_string(at)
                                     + (processGone ? ", its process gone" : ", its beat stood still")
                                     + (noReplace ? "" : ", no rename-without-replace")
                                     + (looksFail ? ", the finisher's looks failing" : ""));
                        const int made = strikeAndFinish({noReplace, fault, processGone, at, looksFail});
                        if (at == 0)
                            calls = made;  // a run without a fault gives the calls to strike
                    }
                }
    EXPECT_GT(calls, 40);
}

}  // namespace
