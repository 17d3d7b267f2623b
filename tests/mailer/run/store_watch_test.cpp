// What a watch run keeps an eye on besides the statements: the mail sender, through the in folder,
// and the store's figures for monitoring. Time is a parameter: nothing here sleeps.
#include "mailer/run/mail_sender_watch.h"
#include "mailer/run/store_figures.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/support/statement_share.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using News = run::MailSenderWatch::News;

struct MailSenderWatchTest : ::testing::Test {
    MailSenderWatchTest()
        : local(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})), fs(local)
    {
        fs.before = [this](reliability::FaultFileSystem::Op, const QString& path) { looks += path.endsWith("\\in"); };
    }
    run::MailSenderWatch watch(double minutes)
    {
        return run::MailSenderWatch(fs, "\\\\host\\parlow\\email7\\in", minutes, [this] { return now; });
    }
    void request(int account) const { share.write(share.store(QString("in/STMT_%1.TXT").arg(account)), "[EMAIL]\r\n"); }
    void taken(int account) const { QFile::remove(share.at(share.store(QString("in/STMT_%1.TXT").arg(account)))); }
    /// Polls every 10 seconds for `seconds`; what it told, one line each, with the minute it told it.
    std::string pollFor(run::MailSenderWatch& w, int seconds)
    {
        std::string told;
        for (int s = 0; s < seconds; s += 10, now = now.addSecs(10)) {
            const News news = w.poll();
            if (news.kind != News::Nothing)
                told += now.toString("mm:ss ").toStdString() + news.text.toStdString() + "\n";
        }
        return told;
    }

    testing_support::StatementShare share;
    platform::LocalFileSystem local;
    reliability::FaultFileSystem fs;
    int looks = 0;
    QDateTime now = QDateTime(QDate(2026, 11, 30), QTime(5, 12));
};

TEST_F(MailSenderWatchTest, OneWarningPerEpisodeInTheAdministratorsTermsAndANoticeOnceTaken)
{
    run::MailSenderWatch w = watch(30);
    request(10234);
    EXPECT_EQ(pollFor(w, 20 * 60), "");
    for (int i = 0; i < 11; ++i)
        request(20000 + i);
    EXPECT_EQ(pollFor(w, 30 * 60),
              "42:00 The mail sender has not taken 12 requests from \\\\host\\parlow\\email7\\in for 30 minutes (the "
              "oldest, STMT_10234.TXT, since 05:12): statements are not reaching customers.\n");
    EXPECT_EQ(std::make_pair(w.waiting(), w.oldestAgeMs()), std::make_pair(12, qint64(50 * 60000)));  // by now, 06:02

    // The share out of reach for a while, then the oldest taken, the others still late: the same episode.
    QDir().rename(share.at("unc/host"), share.at("unc/gone"));
    EXPECT_EQ(pollFor(w, 2 * 60), "");
    QDir().rename(share.at("unc/gone"), share.at("unc/host"));
    taken(10234);
    EXPECT_EQ(pollFor(w, 3 * 60), "");
    for (int i = 0; i < 11; ++i)
        taken(20000 + i);
    EXPECT_EQ(pollFor(w, 2 * 60),
              "07:00 The mail sender takes the requests from \\\\host\\parlow\\email7\\in again: statements are "
              "reaching customers.\n");
    EXPECT_EQ(w.warning(), "");
    request(10234);  // a new episode is told again
    EXPECT_NE(pollFor(w, 32 * 60).find("39:00 The mail sender has not taken 1 request from "), std::string::npos);
}

TEST_F(MailSenderWatchTest, ListsTheInFolderOnceAMinuteAtMostAndNeverWarnsWhenOff)
{
    request(1);
    for (const double minutes : {0.05, 0.0}) {
        run::MailSenderWatch w = watch(minutes);
        looks = 0;
        const std::string told = pollFor(w, 5 * 60);
        EXPECT_EQ(looks, 5) << minutes;
        EXPECT_EQ(told.empty(), minutes == 0) << told;
        EXPECT_EQ(w.waiting(), 1);  // the figures still see the folder
    }
    EXPECT_EQ(run::readMailWaitMinutes(" 0.05 ") + run::readMailWaitMinutes("soon"), 30.05);
}

TEST(StoreFigures, AreWrittenWholeInTheTextFormatAtMostEveryTenSeconds)
{
    testing_support::TempTree folder;
    QDateTime now(QDate(2026, 11, 30), QTime(9, 15), Qt::UTC);
    run::StoreFigures figures(folder.path(), "statsrv", "7", [&] { return now; });
    run::MailedStatement mailed;
    mailed.mailed = true;
    figures.filed(mailed);
    figures.recovered(mailed);
    figures.failed(run::RunFailure());
    const auto state = [] { return run::StoreState{3, 12, 2460500, true}; };
    EXPECT_EQ(figures.write(state), QString());
    const std::string text = folder.read("brevix_statsrv_7.prom");
    const std::string l = "{server=\"statsrv\",store=\"7\"";
    for (const std::string& line :
         {"brevix_statements_total" + l + ",outcome=\"mailed\"} 2\n", "brevix_statements_total" + l + ",outcome=\"failed\"} 1\n",
          "brevix_oldest_request_age_seconds" + l + "} 2460.5\n", "brevix_last_filed_timestamp_seconds" + l + "} 1796030100\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"brevix_statsrv_7.prom"});

    // Due ten seconds on, or a second after a statement was handled.
    for (const auto& [ms, handled, due] : {std::tuple{9000, false, false}, {1000, false, true}, {999, true, false}, {1, false, true}}) {
        if (handled)
            figures.setAside(run::MailedStatement());
        now = now.addMSecs(ms);
        EXPECT_EQ(figures.write(state).has_value(), due) << ms;
    }

    EXPECT_TRUE(run::StoreFigures(folder.at("missing"), "statsrv", "7").write(state)->startsWith(
        "The figures for monitoring cannot be written to " + folder.at("missing")));
    EXPECT_EQ(run::figuresFolder(QString(), true), QFileInfo("/var/lib/prometheus/node-exporter").isDir()
                                                       ? "/var/lib/prometheus/node-exporter" : "");
    EXPECT_EQ(run::figuresFolder(QString(), false), "");
    EXPECT_EQ(run::figuresFolder("", true), "");
}

}  // namespace
