#pragma once
#include <QString>

namespace platform {

/// The program version as the window captions show it: major, minor as "0", revision as "00"
/// (4.2.4 gives "4.2.04").
QString versionText();

}  // namespace platform
