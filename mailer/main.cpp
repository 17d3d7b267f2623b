// Brevix, the statement mailer: the main window, or the same job without one.
#include "mailer/attach/frm_file_attach.h"
#include "mailer/input/mod_brevix.h"
#include "platform/design_fonts.h"
#include "platform/display_check.h"
#include "platform/file_system.h"
#include "platform/journal_stream.h"
#include "platform/message_box_prompt.h"
#include "platform/service_notifier.h"
#include "platform/stop_signals.h"
#include "platform/version_numbers.h"
#include "mailer/run/frm_email_statements.h"
#include "mailer/run/headless_run.h"
#include "mailer/run/history_listing.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QFont>
#include <QDate>
#include <QFileInfo>

#include <atomic>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "Usage: brevix [--once | --watch] [--server=HOST] [--store=NUMBER]\n"
    "  or:  brevix --render=STATEMENT [--output=FILE]\n"
    "  or:  brevix --history [ACCOUNT] [--since=DATE] [--server=HOST] [--store=NUMBER]\n";

constexpr char kHelp[] =
    "Files and mails the store's customer statements: each statement text file in the store's\n"
    "temp folder becomes a PDF in the out folder, a copy in the archive and a mail request in the\n"
    "in folder. With no option, opens the main window.\n"
    "\n"
    "      --once              process every waiting statement without a window, then exit\n"
    "      --watch             process waiting statements every second until SIGTERM or SIGINT\n"
    "      --server=HOST       the statement server for this run (not saved)\n"
    "      --store=NUMBER      the store number for this run (not saved)\n"
    "      --render=STATEMENT  render one statement text file into a PDF; files, mails and\n"
    "                          deletes nothing\n"
    "  -o, --output=FILE       with --render, the PDF to write (default: STATEMENT with .pdf)\n"
    "      --history [ACCOUNT] list the store's delivery record, newest first, one tab-separated\n"
    "                          line per statement (of ACCOUNT only, when given)\n"
    "      --since=DATE        with --history, from this day (YYYY-MM-DD) on\n"
    "      --help              display this help and exit\n"
    "      --version           output version information and exit\n"
    "\n"
    "Without --server and --store, --once and --watch use the server and store saved in the window.\n"
    "\n"
    "Exit status: 0 done; 1 an error ended the run (its statement stays waiting); 2 wrong usage.\n"
    "Environment: TORVIK_UNC_ROOT (where \\\\host\\share is mounted, default /mnt/unc), TORVIK_HOME,\n"
    "XDG_CONFIG_HOME, XDG_CACHE_HOME. Full documentation: man brevix\n";

struct Arguments {
    enum Mode { Window, Once, Watch, Render, History } mode = Window;
    run::HeadlessOptions headless;
    run::HistoryQuery history;
    QString statement;
    QString output;
};

/// Says what is wrong with the command line, then the usage; the status of wrong usage.
int usageError(const char* what)
{
    if (what)
        std::cerr << "brevix: " << what << "\n";
    std::cerr << kUsage << "Try 'brevix --help' for more information.\n";
    return 2;
}

/// The run the command line asks for, or the exit status when it asks for none (help, version,
/// wrong usage).
std::optional<int> parse(int argc, char** argv, Arguments& args)
{
    enum { Once = 256, Watch, Server, Store, Render, Help, Version, History, Since };
    static const option options[] = {
        {"once", no_argument, nullptr, Once},          {"watch", no_argument, nullptr, Watch},
        {"server", required_argument, nullptr, Server}, {"store", required_argument, nullptr, Store},
        {"render", required_argument, nullptr, Render}, {"output", required_argument, nullptr, 'o'},
        {"help", no_argument, nullptr, Help},           {"version", no_argument, nullptr, Version},
        {"history", no_argument, nullptr, History},     {"since", required_argument, nullptr, Since},
        {nullptr, 0, nullptr, 0},
    };
    auto mode = [&](Arguments::Mode wanted) {
        if (args.mode != Arguments::Window && args.mode != wanted)
            return false;
        args.mode = wanted;
        return true;
    };
    bool output = false;
    bool since = false;
    // getopt_long's messages name the program as argv[0] gives it; name it plainly instead.
    std::vector<char*> named(argv, argv + argc + 1);
    char program[] = "brevix";
    named[0] = program;
    for (int c; (c = getopt_long(argc, named.data(), "o:", options, nullptr)) != -1;) {
        const QString value = optarg ? QString::fromLocal8Bit(optarg) : QString();
        switch (c) {
        case Once:
        case Watch:
        case Render:
            if (!mode(c == Once ? Arguments::Once : c == Watch ? Arguments::Watch : Arguments::Render))
                return usageError("use one of --once, --watch, --render and --history");
            args.headless.watch = c == Watch;
            if (c == Render)
                args.statement = value;
            break;
        case History:
            if (!mode(Arguments::History))
                return usageError("use one of --once, --watch, --render and --history");
            break;
        case Since:
            args.history.since = QDate::fromString(value, Qt::ISODate);
            if (!args.history.since.isValid())
                return usageError("--since takes a day as YYYY-MM-DD");
            since = true;
            break;
        case Server:
            args.headless.server = value;
            break;
        case Store:
            args.headless.store = value;
            break;
        case 'o':
            args.output = value;
            output = true;
            break;
        case Help:
            std::cout << kUsage << kHelp;
            return 0;
        case Version:
            std::cout << "brevix " TORVIK_VERSION "\n";
            return 0;
        default:  // getopt_long has said what is wrong
            return usageError(nullptr);
        }
    }
    if (args.mode == Arguments::History && optind < argc)
        args.history.account = QString::fromLocal8Bit(named[optind++]);
    if (optind < argc)
        return usageError(("unexpected argument '" + std::string(named[optind]) + "'").c_str());
    const bool connection = args.headless.server || args.headless.store;
    if (connection && args.mode != Arguments::Once && args.mode != Arguments::Watch && args.mode != Arguments::History)
        return usageError("--server and --store go with --once, --watch or --history");
    if (since && args.mode != Arguments::History)
        return usageError("--since goes with --history");
    if (output && args.mode != Arguments::Render)
        return usageError("--output goes with --render");
    return std::nullopt;
}

/// Qt wants a private runtime folder; a service or SSH session may not have one.
void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray runtime = QByteArray("/tmp/brevix-runtime-") + QByteArray::number(::getuid());
    ::mkdir(runtime.constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

int runWindow(int& argc, char** argv, platform::FileSystem& fs, settings::SettingsStore& store, input::modBrevix& run)
{
    if (!platform::checkDisplay("brevix", "Without a window: brevix --once or brevix --watch (brevix --help)."))
        return 1;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Brevix"));
    platform::installFontSubstitutions();
    app.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    platform::MessageBoxPrompt prompt;
    run::frmEmailStatements* mainWindow = nullptr;
    auto openPicker = [&] {
        attach::frmFileAttach picker(run, fs, store, prompt, mainWindow);
        picker.exec();
    };
    run::frmEmailStatements window(run, fs, store, prompt, openPicker);
    mainWindow = &window;
    prompt.setParent(&window);
    window.show();
    window.Form_Load();
    if (window.ended())
        return window.exitCode();
    return app.exec();
}

/// Renders the statement of --render; says where its PDF went.
int renderOne(const Arguments& args, platform::FileSystem& fs, const settings::SettingsStore& store,
              input::modBrevix& run)
{
    const QFileInfo source(args.statement);
    QString output = args.output;
    if (output.isEmpty())
        output = source.absolutePath() + QLatin1Char('/') + source.completeBaseName() + QStringLiteral(".pdf");
    const int status = run::renderStatement(source.absoluteFilePath(), QFileInfo(output).absoluteFilePath(), run,
                                            fs, store, std::cerr);
    if (status == 0)
        std::cout << QFileInfo(output).absoluteFilePath().toStdString() << std::endl;
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (const std::optional<int> status = parse(argc, argv, args))
        return *status;
    ensureRuntimeFolder();
    platform::LocalFileSystem fs{platform::PathMapper(platform::PathRoots::fromEnvironment())};
    settings::SettingsStore store;
    input::modBrevix& run = input::runValues();
    if (args.mode == Arguments::Window)
        return runWindow(argc, argv, fs, store, run);
    if (args.mode == Arguments::History)
        return run::showHistory(args.headless, args.history, run, fs, store, std::cout, std::cerr);

    // Before Qt starts threads of its own, which must not take the stop signals.
    std::atomic<bool> stopRequested{false};
    if (args.mode != Arguments::Render)
        platform::stopOnSignals(stopRequested);
    // Without a window no display is needed: over SSH, in CI and under systemd.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (args.mode == Arguments::Render)
        return renderOne(args, fs, store, run);

    platform::ServiceNotifier service = platform::ServiceNotifier::fromEnvironment();
    if (args.mode == Arguments::Watch)
        args.headless.service = &service;
    if (platform::JournalStream::isJournal(STDOUT_FILENO))
        args.headless.journal = platform::systemJournal();
    platform::JournalStream out(std::cout, platform::JournalStream::isJournal(STDOUT_FILENO), platform::Priority::Info);
    platform::JournalStream err(std::cerr, platform::JournalStream::isJournal(STDERR_FILENO),
                                platform::Priority::Warning);
    return run::runHeadless(args.headless, run, fs, store, out, err, stopRequested);
}
