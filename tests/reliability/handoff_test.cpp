// Each whole statement reaches the mail sender exactly once: not while it is still being written,
// and not twice when two runs watch one store. (A crash at any point and a statement that cannot
// be claimed: run_faults_test.cpp.)
#include "mailer/handoff/store_session.h"
#include "tests/reliability/run_rig.h"
#include "tests/support/pdf_text.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using reliability::RunRig;
using Op = reliability::FaultFileSystem::Op;

namespace {

const std::string kDetails = "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n";

/// Writes a statement in pieces while a run watches: each cut is a point at which the file
/// looks like a shorter statement.
TEST(Handoff, AStatementStillBeingWrittenIsMailedOnlyWholeAndOnce)
{
    RunRig rig(300);
    auto brevix = rig.start({"--watch"});

    // Three cuts, each by a writer that keeps the file open and by one that opens it for every piece.
    const std::string cuts[] = {"Bolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n", "Bolts\t10.",
                                "F\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t12"};
    const std::string accounts[] = {"551", "552", "553", "554", "555", "556"};
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
        rig.statements << QString::fromStdString(accounts[i]) + ".txt";
        threads.emplace_back([&rig, account = accounts[i], keepsOpen = i < 3, cutAfter = cuts[i % 3]] {
            std::string text = testing_support::statementText(account, "D\t06/02/26\t1002\tNuts\t5.00\t0.00\t5.00\t0.00\t0.00\t0.00\t5.00\r\n");
            text.replace(text.rfind("10.00\r\n"), 7, "12345.67\r\n");
            const size_t cut = text.find(cutAfter) + cutAfter.size();
            const QByteArray path = QFile::encodeName(rig.storeFolder("statements/temp/") + QString::fromStdString(account) + ".txt");
            int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            for (const std::string& piece : {text.substr(0, cut / 2), text.substr(cut / 2, cut - cut / 2), text.substr(cut)}) {
                ::write(fd, piece.data(), piece.size());
                if (!keepsOpen)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(keepsOpen ? 700 : 100));
                if (!keepsOpen)
                    fd = ::open(path.constData(), O_WRONLY | O_APPEND);
            }
            ::close(fd);
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (int waited = 0; rig.waiting() > 0 && waited < 600; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(static_cast<pid_t>(brevix->processId()), SIGTERM);
    ASSERT_TRUE(brevix->waitForFinished(60000));
    const QString out = QString::fromUtf8(brevix->readAllStandardOutput());
    EXPECT_EQ(brevix->readAllStandardError(), "");

    for (const std::string& a : accounts) {
        SCOPED_TRACE(a);
        const QString account = QString::fromStdString(a);
        EXPECT_EQ(out.count(account + ".txt\taccount"), 1) << out.toStdString();
        const std::string text = testing_support::PdfText(rig.share.readStore("statements/out/" + account + ".0105.PDF")).text;
        EXPECT_NE(text.find("12345.67"), std::string::npos);
        EXPECT_NE(text.find("Nuts"), std::string::npos);
        EXPECT_TRUE(rig.share.inStore("in/STMT_" + account + ".TXT"));
    }
}

/// The accounting system stalls longer than the settle time in the middle of the open items: the
/// half file has no totals, so it is set aside, and the whole file is mailed once it is complete.
TEST(Handoff, AWriterThatStallsPastTheSettleTimeGetsOneWholeStatementMailed)
{
    RunRig rig(2000);
    auto brevix = rig.start({"--watch"});
    std::string lines;
    for (int i = 1; i <= 39; ++i)
        lines += "D\t06/01/26\tINV" + std::to_string(7000 + i) + "\tBolts\t1.00\t0.00\t1.00\t0.00\t0.00\t0.00\t1.00\r\n";
    std::string text = testing_support::statementText("4242", lines);
    text.replace(text.rfind("10.00\r\n"), 7, "12345.67\r\n");
    size_t cut = 0;
    for (int line = 0; line < 20; ++line)
        cut = text.find("\r\n", cut) + 2;
    rig.statements << "4242.txt";
    // Closed in between: on a network share nothing tells an open writer apart from a finished one.
    rig.share.drop("4242.txt", text.substr(0, cut));
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    rig.share.drop("4242.txt", text);
    for (int waited = 0; rig.waiting() > 0 && waited < 200; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(static_cast<pid_t>(brevix->processId()), SIGTERM);
    ASSERT_TRUE(brevix->waitForFinished(60000));

    const QString err = QString::fromUtf8(brevix->readAllStandardError());
    EXPECT_EQ(err.count("4242.txt: it has no F record, its totals: the accounting system may still be writing it"), 1)
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(brevix->readAllStandardOutput()).count("4242.txt\taccount 4242"), 1);
    EXPECT_EQ(QDir(rig.storeFolder("in")).entryList(QDir::Files), QStringList{"STMT_4242.TXT"});
    const std::string pdf = testing_support::PdfText(rig.share.readStore("statements/out/4242.0105.PDF")).text;
    for (int i = 1; i <= 39; ++i)
        EXPECT_NE(pdf.find("INV" + std::to_string(7000 + i)), std::string::npos) << i;
    EXPECT_NE(pdf.find("12345.67"), std::string::npos);
    EXPECT_TRUE(rig.allDone()) << rig.problems();
}

TEST(Handoff, TwoWatchingRunsOnOneStoreMailEachStatementOnce)
{
    RunRig rig(300);
    std::unique_ptr<QProcess> runs[2] = {rig.start({"--watch"}), rig.start({"--watch"})};
    const int count = 200;
    for (int i = 1; i <= count; ++i) {
        rig.share.dropDetails(QString("%1det.txt").arg(i), kDetails);
        rig.share.drop(QString("%1.txt").arg(i), testing_support::statementText(std::to_string(i)));
        rig.statements << QString("%1.txt").arg(i);
    }
    QMap<QString, int> sent;
    bool killed = false;
    const QDir temp(rig.storeFolder("statements/temp"));
    for (int waited = 0; waited < 6000; ++waited) {
        rig.takeRequests(sent);
        // The lock dies with its holder: the other run takes over and finishes its claims. Killed
        // at the first sign of work, however busy the machine.
        if (!killed && (!sent.isEmpty() || !temp.entryList({".*.claimed"}, QDir::Files | QDir::Hidden).isEmpty())) {
            for (auto& run : runs)
                ::kill(static_cast<pid_t>(run->processId()), SIGKILL);
            killed = true;
        }
        if (killed && sent.size() == count && rig.waiting() == 0)
            break;
        for (auto& run : runs)
            if (run->state() == QProcess::NotRunning || run->waitForFinished(0))
                run = rig.start({"--watch"});
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (auto& run : runs) {
        ::kill(static_cast<pid_t>(run->processId()), SIGTERM);
        run->waitForFinished(60000);
    }
    rig.takeRequests(sent);
    EXPECT_TRUE(killed);
    EXPECT_EQ(sent.size(), count);
    for (auto it = sent.cbegin(); it != sent.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    for (int i = 1; i <= count; ++i)
        EXPECT_EQ(testing_support::PdfText(rig.share.read(QString("unc/host/tarnlnk/TVK7/STATEMENTS/0105/%1.0105.PDF").arg(i))).pages, 2) << i;
}

TEST(Handoff, ASecondRunOnceLeavesAHeldStoreAlone)
{
    RunRig rig;
    rig.drop(1);
    auto held = std::make_unique<handoff::StoreSession>(rig.local, "\\\\host\\parlow\\email7\\brevix.lock", "the test");
    ASSERT_EQ(held->take(), handoff::StoreSession::Take::Taken);
    auto brevix = rig.start({"--once"});
    ASSERT_TRUE(brevix->waitForFinished(60000));
    EXPECT_EQ(brevix->exitCode(), 0);
    EXPECT_TRUE(brevix->readAllStandardError().startsWith("Store 7 of host is being processed by the test, process "));
    EXPECT_EQ(rig.waiting(), 1);

    held.reset();
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    EXPECT_EQ(rig.waiting(), 0);
}

// Names and accounts that differ only in letter case: each customer gets their own document, or
// the statement waits or is set aside naming the other; never another customer's statement.
TEST(Handoff, CaseTwinsNeverGetAnotherCustomersDocument)
{
    RunRig rig;
    for (const auto& [name, account] : {std::pair{"stmt.txt", "11111"}, {"STMT.txt", "22222"}, {"a1.txt", "ab100"}, {"a2.txt", "AB100"}}) {
        rig.share.drop(name, testing_support::statementText(account));
        rig.statements << name;
    }
    QMap<QString, int> sent;
    EXPECT_EQ(rig.once(), 1);  // stmt.txt set aside, one of the ab100 twins waits for the mail sender
    EXPECT_NE(rig.err.str().find("Set aside \\\\host\\parlow\\email7\\statements\\temp\\stmt.txt: its PDF stmt.0105.PDF "
                                 "would replace \\\\host\\parlow\\email7\\statements\\out\\STMT.0105.PDF"),
              std::string::npos) << rig.err.str();
    EXPECT_NE(rig.err.str().find("waits until the mail sender took STMT_"), std::string::npos) << rig.err.str();
    rig.takeRequests(sent);
    rig.once();
    rig.takeRequests(sent);
    EXPECT_EQ(sent, (QMap<QString, int>{{"STMT_22222.TXT", 1}, {"STMT_ab100.TXT", 1}, {"STMT_AB100.TXT", 1}}));
    EXPECT_NE(testing_support::PdfText(rig.share.readStore("statements/out/STMT.0105.PDF")).text.find("22222"), std::string::npos);
    EXPECT_TRUE(rig.share.inStore("statements/temp/stmt.txt"));
}

// A detail file rewritten between the rendering and the claim: the statement goes back to settle
// and is mailed with the invoices of the new file, never with its invoices lost.
TEST(Handoff, ADetailFileReplacedBeforeTheClaimIsTakenAgain)
{
    RunRig rig;
    rig.drop(1);
    rig.share.dropDetails("1det.txt", kDetails);
    bool replaced = false;
    rig.inject = [&](Op op, const QString& path) {
        if (!replaced && op == Op::Move && path.endsWith(QLatin1String(".claimed")) && path.contains("tempdet")) {
            replaced = true;
            std::string details = kDetails;
            details.replace(details.find("INV-1"), 5, "INV-22");
            rig.share.dropDetails("1det.txt", details);
        }
    };
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    EXPECT_TRUE(replaced);
    EXPECT_NE(testing_support::PdfText(rig.share.readStore("statements/out/1.0105.PDF")).text.find("INV-22"), std::string::npos);
    EXPECT_TRUE(rig.allDone());
}

}  // namespace
