#include "platform/display_check.h"

#include <QList>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace platform {
namespace {

const char* g_program = "";
const char* g_hint = "";
QtMessageHandler g_previous = nullptr;

void endWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        std::cerr << g_program << ": the window needs a display: ";
        const QByteArray display = qgetenv("DISPLAY");
        std::cerr << "none could be reached";
        if (!display.isEmpty())
            std::cerr << " (DISPLAY=" << display.constData() << ")";
        std::cerr << ". " << g_hint << std::endl;
        std::_Exit(1);
    }
    if (g_previous)
        g_previous(type, context, message);
    else
        std::cerr << qFormatLogMessage(type, context, message).toLocal8Bit().constData() << std::endl;
}

}  // namespace

QString noDisplayReason(const QByteArray& qpaPlatform, const QByteArray& display, const QByteArray& waylandDisplay)
{
    const QByteArray chosen = qpaPlatform.split(':').first().trimmed();
    if (!chosen.isEmpty() && !chosen.startsWith("xcb") && !chosen.startsWith("wayland"))
        return {};
    if (!display.isEmpty() || !waylandDisplay.isEmpty())
        return {};
    return QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)");
}

bool checkDisplay(const char* program, const char* hint)
{
    const QString reason = noDisplayReason(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    if (!reason.isEmpty()) {
        std::cerr << program << ": the window needs a display: " << reason.toStdString() << ". " << hint << std::endl;
        return false;
    }
    g_program = program;
    g_hint = hint;
    g_previous = qInstallMessageHandler(endWithoutDisplay);
    return true;
}

}  // namespace platform
