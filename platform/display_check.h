#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

/// Why a window cannot open with these values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY
/// ("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)"); empty when it can, or when a
/// Qt platform that needs no display was chosen (offscreen, vnc, linuxfb ...).
QString noDisplayReason(const QByteArray& qpaPlatform, const QByteArray& display, const QByteArray& waylandDisplay);

/// Before the application object of a window program: when no display can be had, says so on
/// standard error ("PROGRAM: the window needs a display: REASON. HINT") and returns false. Also
/// makes a display that is set but cannot be reached end the program with that message and
/// status 1, instead of Qt's abort.
bool checkDisplay(const char* program, const char* hint);

}  // namespace platform
