// What brevix tells systemd and the journal, with the test in the service manager's place: a
// datagram socket as NOTIFY_SOCKET, a file as the journal stream.
#include "tests/support/statement_share.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using testing_support::StatementShare;

const std::string kTemp = R"(\\host\parlow\email7\statements\temp)";

/// The service manager's end of NOTIFY_SOCKET.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : fd_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~NotifySocket() { ::close(fd_); }

    /// True when an assignment starting with `start` came, or comes within `ms`.
    bool waitFor(const std::string& start, int ms = 60000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            for (const std::string& m : received_)
                if (m.compare(0, start.size(), start) == 0)
                    return true;
            pollfd p{fd_, POLLIN, 0};
            if (clock.elapsed() >= ms || ::poll(&p, 1, ms - static_cast<int>(clock.elapsed())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            for (const QByteArray& line : QByteArray(buffer, static_cast<int>(std::max<ssize_t>(n, 0))).split('\n'))
                received_.push_back(asManagerReads(line.toStdString()));
        }
    }

private:
    /// As systemd 252 splits a notification into its assignments: a backslash takes the next
    /// character as it is.
    static std::string asManagerReads(const std::string& line)
    {
        std::string read;
        for (size_t i = 0; i < line.size(); ++i)
            read += line[i] == '\\' && i + 1 < line.size() ? line[++i] : line[i];
        return read;
    }

    int fd_;
    std::vector<std::string> received_;
};

/// brevix on `share` (mapped from `uncRoot`), its standard output and error both appended to the
/// share's file "journal"; `service` adds what systemd would set.
std::unique_ptr<QProcess> startBrevix(const StatementShare& share, const QString& uncRoot, const char* mode,
                                      bool service, bool journal = true)
{
    share.write("journal");
    // The figures for monitoring go to the test's folder, never into the machine's own.
    share.mkdir("figures");
    if (!share.exists("config/Torvik/Brevix.ini"))
        share.write("config/Torvik/Brevix.ini", "[eStatements]\nSettings\\MetricsFolder=" + share.at("figures").toStdString() + "\n");
    struct stat st {};
    ::stat(QFile::encodeName(share.at(journal ? "journal" : "config")).constData(), &st);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVIK_UNC_ROOT", uncRoot);
    env.insert("XDG_CONFIG_HOME", share.at("config"));
    env.insert("JOURNAL_STREAM", QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino));
    if (service) {
        env.insert("NOTIFY_SOCKET", share.at("notify"));
        env.insert("WATCHDOG_USEC", "200000");
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(share.at("journal"), QIODevice::Append);
    process->setStandardErrorFile(share.at("journal"), QIODevice::Append);
    process->start(QStringLiteral(BREVIX_BINARY), {mode, "--server", "host", "--store", "7"});
    return process;
}

void terminate(QProcess& brevix)
{
    ::kill(static_cast<pid_t>(brevix.processId()), SIGTERM);
    ASSERT_TRUE(brevix.waitForFinished(60000));
    EXPECT_EQ(brevix.exitCode(), 0);
}

TEST(Service, WatchIsReadyReportsEachStatementFeedsTheWatchdogAndStops)
{
    StatementShare share;
    share.drop("12345.txt", testing_support::statementText("12345"));
    NotifySocket systemd(share.at("notify"));
    auto brevix = startBrevix(share, share.uncRoot(), "--watch", true);

    EXPECT_TRUE(systemd.waitFor("READY=1"));
    EXPECT_TRUE(systemd.waitFor("STATUS=watching " + kTemp + ": 1 mailed today, 0 set aside, last 12345.0105.PDF at "));
    EXPECT_TRUE(systemd.waitFor("WATCHDOG=1"));
    EXPECT_FALSE(systemd.waitFor("STOPPING=1", 0));
    terminate(*brevix);
    EXPECT_TRUE(systemd.waitFor("STOPPING=1"));
    EXPECT_EQ(share.read("journal").substr(0, 27), "<6>12345.txt\taccount 12345\t");
    EXPECT_NE(share.read("figures/brevix_host_7.prom").find("brevix_statements_total{server=\"host\",store=\"7\",outcome=\"mailed\"} 1\n"),
              std::string::npos) << share.read("figures/brevix_host_7.prom");
}

TEST(Service, WatchIsReadyWhileItWaitsForTheShareSayingWhatIsMissing)
{
    StatementShare share;
    NotifySocket systemd(share.at("notify"));
    const QString later = share.at("later");
    auto brevix = startBrevix(share, later, "--watch", true);

    const std::string missing = R"(no \\host\parlow ()" + later.toStdString() + "/host/parlow); is the share mounted?";
    EXPECT_TRUE(systemd.waitFor("STATUS=waiting for " + kTemp + ": " + missing));
    // Ready while waiting: a missing share never holds the boot.
    EXPECT_TRUE(systemd.waitFor("READY=1"));
    EXPECT_TRUE(systemd.waitFor("WATCHDOG=1"));

    ASSERT_TRUE(QDir().rename(share.uncRoot(), later));  // the share is mounted
    EXPECT_TRUE(systemd.waitFor("STATUS=watching " + kTemp + ": 0 mailed today"));
    terminate(*brevix);
    EXPECT_EQ(share.read("journal"), "<4>Cannot Connect to: " + kTemp + ", trying again every second: " + missing
                                         + "\n<6>Connected to: " + kTemp + "\n");
}

TEST(Service, PrioritiesOnlyWhenTheStreamIsTheJournal)
{
    StatementShare share;
    for (const bool journal : {true, false}) {
        auto brevix = startBrevix(share, share.at("nowhere"), "--once", false, journal);
        ASSERT_TRUE(brevix->waitForFinished(60000));
        EXPECT_EQ(brevix->exitCode(), 1);
        EXPECT_EQ(share.read("journal"), (journal ? "<3>" : "") + std::string("Cannot Connect to: ") + kTemp + " ("
                                             + share.at("nowhere").toStdString() + "/host/parlow/email7/statements/temp)\n");
    }
}

}  // namespace
