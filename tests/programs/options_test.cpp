// Both programs' command lines, run as a shell runs them: without a display.
#include "platform/version_numbers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Finished {
    bool byItself = false;  // ended within the time, without a signal
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs a program with no display at all: no X, no Wayland, no Qt platform chosen.
Finished run(const char* program, const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QString::fromLatin1(program), args);
    const bool ended = process.waitForFinished(10000);
    process.kill();
    process.waitForFinished();
    return {ended && process.exitStatus() == QProcess::NormalExit, process.exitCode(),
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

const std::string kBrevixUsage = "Usage: brevix [--once | --watch] [--server=HOST] [--store=NUMBER]\n"
                                 "  or:  brevix --render=STATEMENT [--output=FILE]\n"
                                 "  or:  brevix --history [ACCOUNT] [--since=DATE] [--server=HOST] [--store=NUMBER]\n"
                                 "Try 'brevix --help' for more information.\n";

TEST(Options, StatusStreamAndNoWindow)
{
    struct Case {
        const char* program;
        QStringList args;
        int status;
        std::string out;  // the start of standard output
        std::string err;  // all of standard error
    };
    const Case cases[] = {
        {BREVIX_BINARY, {"--help"}, 0, "Usage: brevix [--once | --watch]", ""},
        {BREVIX_BINARY, {"--bogus"}, 2, "", "brevix: unrecognized option '--bogus'\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--once", "--server"}, 2, "", "brevix: option '--server' requires an argument\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--store=7"}, 2, "", "brevix: --server and --store go with --once, --watch or --history\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--once", "--watch"}, 2, "", "brevix: use one of --once, --watch, --render and --history\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--once", "statsrv"}, 2, "", "brevix: unexpected argument 'statsrv'\n" + kBrevixUsage},
        {BREVIX_BINARY, {"-o", "a.pdf"}, 2, "", "brevix: --output goes with --render\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--once", "--since=2026-11-01"}, 2, "", "brevix: --since goes with --history\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--history", "--since=11/01/26"}, 2, "", "brevix: --since takes a day as YYYY-MM-DD\n" + kBrevixUsage},
        {BREVIX_BINARY, {"--history", "1", "2"}, 2, "", "brevix: unexpected argument '2'\n" + kBrevixUsage},
        {HUEVANE_BINARY, {"--help"}, 0, "Usage: huevane [--help | --version]\n", ""},
        {HUEVANE_BINARY, {"-x"}, 2, "", "huevane: invalid option -- 'x'\nUsage: huevane [--help | --version]\n"
                                           "Try 'huevane --help' for more information.\n"},
        // The windows say that they need a display rather than abort in Qt.
        {BREVIX_BINARY, {}, 1, "",
         "brevix: the window needs a display: no display is set (DISPLAY and WAYLAND_DISPLAY are empty). "
         "Without a window: brevix --once or brevix --watch (brevix --help).\n"},
        {HUEVANE_BINARY, {}, 1, "",
         "huevane: the window needs a display: no display is set (DISPLAY and WAYLAND_DISPLAY are empty). "
         "Start it in a desktop session.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.args.join(' ').toStdString());
        const Finished done = run(c.program, c.args);
        ASSERT_TRUE(done.byItself) << done.err;
        EXPECT_EQ(done.status, c.status);
        EXPECT_EQ(done.out.substr(0, c.out.size()), c.out);
        EXPECT_EQ(c.out.empty(), done.out.empty());
        EXPECT_EQ(done.err, c.err);
    }
}

/// The long options at the start of the help's lines, or in the manual page's OPTIONS section.
std::string options(const QString& text, const QString& pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern).globalMatch(text))
        found << m.captured(1);
    found.sort();
    found.removeDuplicates();
    return found.join(' ').toStdString();
}

TEST(Options, ManualPagesDescribeTheOptionsOfTheHelp)
{
    for (const char* program : {BREVIX_BINARY, HUEVANE_BINARY}) {
        const QString name = QString::fromLatin1(program).section(QLatin1Char('/'), -1);
        SCOPED_TRACE(name.toStdString());
        const QString help = QString::fromStdString(run(program, {"--help"}).out);
        QFile file(QStringLiteral(MANUAL_PAGES "/") + name + QStringLiteral(".1"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(file.readAll());
        const QString section = page.section(QStringLiteral(".SH OPTIONS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
        const std::string inHelp = options(help, QStringLiteral("(?m)^ +(?:-\\w, )?--([a-z]+)"));
        EXPECT_NE(inHelp, "");
        EXPECT_EQ(options(section, QStringLiteral("\\\\-\\\\-([a-z]+)")), inHelp);
        EXPECT_TRUE(page.contains(QStringLiteral("\"") + name + QStringLiteral(" " TORVIK_VERSION "\"")));
    }
}

}  // namespace
