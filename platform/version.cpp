#include "platform/version.h"

#include "platform/version_numbers.h"

namespace platform {

QString versionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(TORVIK_VERSION_MAJOR)
        .arg(TORVIK_VERSION_MINOR)
        .arg(TORVIK_VERSION_PATCH, 2, 10, QLatin1Char('0'));
}

}  // namespace platform
