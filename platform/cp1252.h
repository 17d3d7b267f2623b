#pragma once
#include <QString>
#include <string>
#include <string_view>

namespace platform {

/// Decodes Windows-1252 bytes for display. The five bytes the code page leaves undefined
/// decode to the C1 control of the same value, as the original platform does, so no byte is lost.
QString fromCp1252(std::string_view bytes);

/// Encodes text as Windows-1252 bytes; a character the code page lacks becomes '?'
/// and clears *exact when given.
std::string toCp1252(const QString& text, bool* exact = nullptr);

}  // namespace platform
