#include "colours/color_select.h"
#include "colours/platform_colour_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box_prompt.h"
#include "platform/path_mapper.h"
#include "settings/settings_store.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
