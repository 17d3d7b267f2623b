// Huevane, the colour selector of the statement and invoice documents.
#include "colours/color_select.h"
#include "colours/platform_colour_dialog.h"
#include "platform/file_system.h"
#include "platform/display_check.h"
#include "platform/message_box_prompt.h"
#include "platform/path_mapper.h"
#include "platform/version_numbers.h"
#include "settings/settings_store.h"

#include <QApplication>

#include <getopt.h>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] = "Usage: huevane [--help | --version]\n";

constexpr char kHelp[] =
    "Chooses the foreground, background and shade colours of the statement and invoice documents,\n"
    "from a colour dialog or from a pixel of the store's logo, and saves them for Brevix.\n"
    "Opens a window; takes no other option.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Exit status: 0 the window was closed; 1 a logo picture could not be loaded (after its message);\n"
    "2 wrong usage.\n"
    "Environment: TORVIK_HOME (the logos, default share/torvik beside the program), XDG_CONFIG_HOME,\n"
    "XDG_CACHE_HOME. Full documentation: man huevane\n";

/// The exit status when the command line asks for no window (help, version, wrong usage).
std::optional<int> parse(int argc, char** argv)
{
    enum { Help = 256, Version };
    static const option options[] = {
        {"help", no_argument, nullptr, Help},
        {"version", no_argument, nullptr, Version},
        {nullptr, 0, nullptr, 0},
    };
    // getopt_long's messages name the program as argv[0] gives it; name it plainly instead.
    std::vector<char*> named(argv, argv + argc + 1);
    char program[] = "huevane";
    named[0] = program;
    for (int c; (c = getopt_long(argc, named.data(), "", options, nullptr)) != -1;) {
        if (c == Help) {
            std::cout << kUsage << kHelp;
            return 0;
        }
        if (c == Version) {
            std::cout << "huevane " TORVIK_VERSION "\n";
            return 0;
        }
        std::cerr << kUsage << "Try 'huevane --help' for more information.\n";
        return 2;
    }
    if (optind < argc) {
        std::cerr << "huevane: unexpected argument '" << named[optind] << "'\n"
                  << kUsage << "Try 'huevane --help' for more information.\n";
        return 2;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Before QApplication, which needs a display.
    if (const std::optional<int> status = parse(argc, argv))
        return *status;
    if (!platform::checkDisplay("huevane", "Start it in a desktop session."))
        return 1;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Huevane"));

    settings::SettingsStore store;
    platform::LocalFileSystem files{platform::PathMapper(platform::PathRoots::fromEnvironment())};
    platform::MessageBoxPrompt prompt;
    huevane::PlatformColourDialog dialog;

    huevane::ColorSelect window(store, files, prompt, dialog);
    if (window.ended())
        return 1;
    prompt.setParent(&window);
    window.show();
    return app.exec();
}
