// Brevix, the statement mailer: the main window, or the same job without one.
#include "mailer/attach/frm_file_attach.h"
#include "mailer/input/mod_brevix.h"
#include "platform/design_fonts.h"
#include "platform/file_system.h"
#include "platform/message_box_prompt.h"
#include "platform/version.h"
#include "mailer/run/frm_email_statements.h"
#include "mailer/run/headless_run.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QFont>
#include <QFileInfo>

#include <atomic>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <iostream>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int)
{
    stopRequested = true;
}

int usage()
{
    std::cerr << "usage: brevix                      open the main window\n"
                 "       brevix --once [OPTIONS]     process every waiting statement, then exit\n"
                 "       brevix --watch [OPTIONS]    process statements every second until stopped\n"
                 "       brevix --render STATEMENT.txt [-o OUT.pdf]\n"
                 "                                   render one statement file into a PDF\n"
                 "OPTIONS: --server HOST  --store NUMBER   (used instead of the stored values, not saved)\n";
    return 2;
}

struct Arguments {
    enum Mode { Window, Once, Watch, Render } mode = Window;
    run::HeadlessOptions headless;
    QString statement;
    QString output;
};

bool parse(int argc, char** argv, Arguments& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](QString& into) {
            if (i + 1 >= argc)
                return false;
            into = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        QString text;
        if (a == "--once") {
            args.mode = Arguments::Once;
        } else if (a == "--watch") {
            args.mode = Arguments::Watch;
            args.headless.watch = true;
        } else if (a == "--server" && value(text)) {
            args.headless.server = text;
        } else if (a == "--store" && value(text)) {
            args.headless.store = text;
        } else if (a == "--render" && value(args.statement)) {
            args.mode = Arguments::Render;
        } else if (a == "-o" && value(args.output)) {
        } else {
            return false;
        }
    }
    return args.mode != Arguments::Window || (!args.headless.server && !args.headless.store);
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (!parse(argc, argv, args))
        return usage();

    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder; a service or SSH session may not have one.
        const QByteArray runtime = QByteArray("/tmp/brevix-runtime-") + QByteArray::number(::getuid());
        ::mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }

    platform::LocalFileSystem fs{platform::PathMapper(platform::PathRoots::fromEnvironment())};
    settings::SettingsStore store;
    input::modBrevix& run = input::runValues();

    if (args.mode == Arguments::Window) {
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

    // Without a window no display is needed: over SSH, in CI and under systemd.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (args.mode == Arguments::Render) {
        const QFileInfo source(args.statement);
        QString output = args.output;
        if (output.isEmpty())
            output = source.absolutePath() + QLatin1Char('/') + source.completeBaseName() + QStringLiteral(".pdf");
        const int status = run::renderStatement(source.absoluteFilePath(), QFileInfo(output).absoluteFilePath(),
                                                run, fs, store, std::cerr);
        if (status == 0)
            std::cout << QFileInfo(output).absoluteFilePath().toStdString() << std::endl;
        return status;
    }

    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    return run::runHeadless(args.headless, run, fs, store, std::cout, std::cerr, stopRequested);
}
