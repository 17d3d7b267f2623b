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
using testing_support::statementText;

const std::string kTemp = R"(\\host\parlow\email7\statements\temp)";

/// The service manager's end of NOTIFY_SOCKET: every assignment brevix sends, in order.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : path_(path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ADD_FAILURE() << "cannot bind " << path.toStdString();
    }
    ~NotifySocket() { ::close(fd_); }

    /// Waits up to `ms` for an assignment that starts with `start`; true when one came.
    bool waitFor(const std::string& start, int ms = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            for (const std::string& m : received)
                if (m.compare(0, start.size(), start) == 0)
                    return true;
            const int left = ms - static_cast<int>(clock.elapsed());
            if (left <= 0)
                return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, left) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            for (const QByteArray& line : QByteArray(buffer, n > 0 ? static_cast<int>(n) : 0).split('\n'))
                if (!line.isEmpty())
                    received.push_back(line.toStdString());
        }
    }
    bool got(const std::string& start) { return waitFor(start, 0); }

    std::vector<std::string> received;

private:
    QString path_;
    int fd_ = -1;
};

/// "device:inode" of a file, as systemd names the journal stream in JOURNAL_STREAM.
QString streamName(const QString& file)
{
    struct stat st {};
    ::stat(QFile::encodeName(file).constData(), &st);
    return QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino);
}

/// brevix on the share of `share` mapped from `uncRoot`, its standard output and error both
/// written to the file "journal" of the share.
std::unique_ptr<QProcess> startBrevix(const StatementShare& share, const QString& uncRoot, const QStringList& mode,
                                      const QProcessEnvironment& extra)
{
    share.write("journal");
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVIK_UNC_ROOT", uncRoot);
    env.insert("TORVIK_HOME", share.at("install"));
    env.insert("XDG_CONFIG_HOME", share.at("config"));
    env.insert("XDG_CACHE_HOME", share.at("cache"));
    env.insert(extra);
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(share.at("journal"), QIODevice::Append);
    process->setStandardErrorFile(share.at("journal"), QIODevice::Append);
    process->start(QStringLiteral(BREVIX_BINARY), mode + QStringList{"--server", "host", "--store", "7"});
    return process;
}

QProcessEnvironment serviceEnvironment(const StatementShare& share)
{
    QProcessEnvironment env;
    env.insert("NOTIFY_SOCKET", share.at("notify"));
    env.insert("WATCHDOG_USEC", "200000");
    env.insert("JOURNAL_STREAM", streamName(share.at("journal")));
    return env;
}

void stop(QProcess& brevix)
{
    ::kill(static_cast<pid_t>(brevix.processId()), SIGTERM);
    ASSERT_TRUE(brevix.waitForFinished(10000));
    EXPECT_EQ(brevix.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(brevix.exitCode(), 0);
}

TEST(Service, WatchIsReadyReportsEachStatementFeedsTheWatchdogAndStops)
{
    StatementShare share;
    share.drop("12345.txt", statementText("12345"));
    NotifySocket systemd(share.at("notify"));
    share.write("journal");
    auto brevix = startBrevix(share, share.uncRoot(), {"--watch"}, serviceEnvironment(share));

    EXPECT_TRUE(systemd.waitFor("READY=1"));
    EXPECT_TRUE(systemd.waitFor("STATUS=watching " + kTemp + ": 1 mailed today, 0 set aside, last 12345.0105.PDF at "));
    EXPECT_TRUE(systemd.waitFor("WATCHDOG=1"));
    EXPECT_FALSE(systemd.got("STOPPING=1"));
    stop(*brevix);
    EXPECT_TRUE(systemd.waitFor("STOPPING=1"));
    const std::string filed = "<6>12345.txt\taccount 12345\t";
    EXPECT_EQ(share.read("journal").substr(0, filed.size()), filed);
}

TEST(Service, WatchWaitsForTheShareSayingWhatIsMissing)
{
    StatementShare share;
    NotifySocket systemd(share.at("notify"));
    share.write("journal");
    const QString later = share.at("later");
    auto brevix = startBrevix(share, later, {"--watch"}, serviceEnvironment(share));

    const std::string waiting = "STATUS=waiting for " + kTemp + ": no \\\\host\\parlow (" + later.toStdString()
                                + "/host/parlow); is the share mounted?";
    EXPECT_TRUE(systemd.waitFor(waiting));
    EXPECT_TRUE(systemd.waitFor("WATCHDOG=1"));
    EXPECT_FALSE(systemd.waitFor("READY=1", 1500));

    // The share is mounted: the run goes on by itself.
    ASSERT_TRUE(QDir().rename(share.uncRoot(), later));
    EXPECT_TRUE(systemd.waitFor("READY=1", 5000));
    stop(*brevix);
    EXPECT_EQ(share.read("journal"), "<4>Cannot Connect to: " + kTemp + ": " + waiting.substr(waiting.find(": no") + 2)
                                         + "; trying again every second\n<6>Connected to: " + kTemp + "\n");
}

TEST(Service, PrioritiesOnlyWhenTheStreamIsTheJournal)
{
    StatementShare share;
    for (const bool journal : {true, false}) {
        share.write("journal");
        QProcessEnvironment env;
        env.insert("JOURNAL_STREAM", journal ? streamName(share.at("journal")) : streamName(share.at("config")));
        auto brevix = startBrevix(share, share.at("nowhere"), {"--once"}, env);
        ASSERT_TRUE(brevix->waitForFinished(10000));
        EXPECT_EQ(brevix->exitCode(), 1);
        EXPECT_EQ(share.read("journal"), (journal ? "<3>" : "") + std::string("Cannot Connect to: ") + kTemp + "\n");
    }
}

}  // namespace
