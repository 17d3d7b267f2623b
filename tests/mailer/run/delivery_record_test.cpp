#include "mailer/run/delivery_record.h"
#include "mailer/run/history_listing.h"
#include "mailer/run/statement_errors.h"
#include "platform/file_system.h"
#include "tests/support/statement_share.h"

#include <QCryptographicHash>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sstream>

namespace {

const QString kHistory = "\\\\host\\parlow\\email7\\history";

struct RecordTest : ::testing::Test {
    RecordTest() : fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})) {}

    run::DeliveryRecord record(const QString& runId)
    {
        return run::DeliveryRecord(fs, kHistory, "ws1", runId, [this](const QString& w) { warnings << w; },
                                   [this] { return now; });
    }
    /// Fields `first` to `last` of each line the listing gives, each line ending in '|'.
    std::string list(const run::HistoryQuery& query, int first, int last = -1)
    {
        std::ostringstream out, err;
        EXPECT_EQ(run::listHistory(fs, kHistory, query, out, err), 0);
        listWarnings = err.str();
        std::string picked;
        for (const QString& line : QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts))
            picked += line.section('\t', first, last < 0 ? first : last).replace('\t', ' ').toStdString() + "|";
        return picked;
    }

    testing_support::StatementShare share;
    platform::LocalFileSystem fs;
    QDateTime now = QDateTime(QDate(2026, 11, 30), QTime(9, 15), QTimeZone(3600));
    QStringList warnings;
    std::string listWarnings;
};

run::MailedStatement mailed(const QString& account, bool archived)
{
    run::MailedStatement s;
    s.file = account + ".txt";
    s.account = account;
    s.pdfPath = "\\\\host\\parlow\\email7\\statements\\out\\" + account + ".0105.PDF";
    s.mailed = true;
    s.archiveCopy = archived ? "\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\" + account + ".0105.PDF" : QString();
    s.mailTo = "ap@" + account + ".example";
    s.request = "\\\\host\\parlow\\email7\\in\\STMT_" + account + ".TXT";
    return s;
}

TEST_F(RecordTest, EachOutcomeIsALineWithTheHashOfThePdfAsFiled)
{
    share.write("unc/host/tarnlnk/TVK7/STATEMENTS/0105/1.0105.PDF", "archived bytes");
    run::DeliveryRecord r = record("ws1-11-a");
    r.filed(mailed("1", true));
    run::MailedStatement notMailed = mailed("3", false);
    notMailed.mailed = false;
    notMailed.request.clear();
    notMailed.archiveProblem = "no \\\\host\\tarnlnk";
    r.filed(notMailed);
    run::MailedStatement recovered = mailed("4", false);
    recovered.recovered = recovered.handedOffBefore = true;
    r.recovered(recovered);
    run::MailedStatement refused;
    refused.file = "5\tx.txt";
    refused.refused = std::make_exception_ptr(run::StatementUnfinished("\\\\host\\parlow\\email7\\statements\\temp\\5.txt"));
    r.setAside(refused);

    const auto sha = [](const char* bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString(); };
    EXPECT_EQ(share.read(share.store("history/2026-11-30.ws1-11-a.txt")),
              "2026-11-30T09:15:00.000+01:00\tws1\tws1-11-a\t1.txt\t1\tap@1.example\t1.0105.PDF\t"
              "\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\1.0105.PDF\t" + sha("archived bytes") + "\tSTMT_1.TXT\tmailed\t\n"
              "2026-11-30T09:15:00.000+01:00\tws1\tws1-11-a\t3.txt\t3\tap@3.example\t3.0105.PDF\t\t\t\tfiled without mail\t"
              "no \\\\host\\tarnlnk\n"
              "2026-11-30T09:15:00.000+01:00\tws1\tws1-11-a\t4.txt\t4\tap@4.example\t4.0105.PDF\t\t\tSTMT_4.TXT\trecovered\t"
              "mailed; an earlier run had handed it off\n"
              "2026-11-30T09:15:00.000+01:00\tws1\tws1-11-a\t5\\x09x.txt\t\t\t\t\t\t\tset aside\t"
              "it has no F record, its totals: the accounting system may still be writing it\n");
}

TEST_F(RecordTest, ARecordThatCannotBeWrittenIsWarnedOnceAndTriedAgain)
{
    share.write(share.store("history"), "a file where the folder should be");
    run::DeliveryRecord r = record("ws1-11-a");
    r.filed(mailed("1", false));
    r.filed(mailed("2", false));
    ASSERT_EQ(warnings.size(), 1);  // not one per statement
    EXPECT_TRUE(warnings[0].startsWith("No delivery record: Error ")
                && warnings[0].contains("give this run's user write access to \\\\host\\parlow\\email7\\history ("));

    QFile::remove(share.at(share.store("history")));
    r.filed(mailed("3", false));
    EXPECT_EQ(list({}, 4), "3|");
    EXPECT_EQ(warnings.size(), 1);
}

TEST_F(RecordTest, ListsNewestFirstByAccountAndDayAndReadsDamagedFilesToTheirLastWholeLine)
{
    run::DeliveryRecord a = record("ws1-11-a");
    run::DeliveryRecord b = record("ws2-22-b");
    a.filed(mailed("10234", true));
    now = now.addSecs(60);
    b.filed(mailed("555", false));
    now = now.addDays(1);  // the next day: each run starts a file of its own
    a.filed(mailed("10234", false));
    now = now.addSecs(-30);  // another workstation's clock, a little behind
    b.filed(mailed("777", false));

    EXPECT_EQ(list({}, 2, 4), "ws1-11-a 10234.txt 10234|ws2-22-b 777.txt 777|ws2-22-b 555.txt 555|ws1-11-a 10234.txt 10234|");
    EXPECT_EQ(list({"10234", {}}, 0), "2026-12-01T09:16:00.000+01:00|2026-11-30T09:15:00.000+01:00|");
    EXPECT_EQ(list({{}, QDate(2026, 12, 1)}, 4), "10234|777|");
    EXPECT_EQ(listWarnings, "");

    // A run killed in the middle of a line, and a line that lost its fields.
    const QString file = share.store("history/2026-11-30.ws2-22-b.txt");
    share.write(file, share.read(file) + "garbage\n" + share.read(file) + "2026-11-30T10:00:00+01:00\tws2\tws2-22");
    EXPECT_EQ(list({"555", {}}, 4), "555|555|");
    const std::string named = "Warning: the delivery record \\\\host\\parlow\\email7\\history\\2026-11-30.ws2-22-b.txt (";
    EXPECT_TRUE(listWarnings.find(named) == 0 && listWarnings.find(".txt) ends in a half-written line") != std::string::npos
                && listWarnings.find(".txt) holds 1 damaged line (the first is line 2); it is left out.") != std::string::npos)
        << listWarnings;
}

TEST_F(RecordTest, TheHolderRemovesDaysPastTheKeptOnesOnceADay)
{
    const auto left = [&](std::initializer_list<const char*> add) {
        for (const char* name : add)
            share.write(share.store(QString("history/") + name), "x\n");
        return QDir(share.at(share.store("history"))).entryList(QDir::Files).join(' ').toStdString();
    };
    run::DeliveryRecord r = record("ws1-11-a");
    left({"2024-11-29.ws9-1-x.txt", "2024-11-30.ws9-1-x.txt", "2026-11-29.ws9-1-x.txt", "notes.txt"});
    r.prune(730);  // on 2026-11-30: 2024-11-30 is 730 days old, not older
    EXPECT_EQ(left({"2024-11-28.ws9-1-x.txt"}), "2024-11-28.ws9-1-x.txt 2024-11-30.ws9-1-x.txt 2026-11-29.ws9-1-x.txt notes.txt");
    r.prune(730);  // done for today
    now = now.addDays(1);
    EXPECT_EQ(left({}), "2024-11-28.ws9-1-x.txt 2024-11-30.ws9-1-x.txt 2026-11-29.ws9-1-x.txt notes.txt");
    r.prune(730);
    EXPECT_EQ(left({}), "2026-11-29.ws9-1-x.txt notes.txt");
}

}  // namespace
