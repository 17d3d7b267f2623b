#pragma once
#include <QString>
#include <cstdint>

namespace settings {

/// A stored colour: signed decimal text, blanks around it allowed, to a 32-bit integer.
/// Raises platform::Error "Type mismatch" for text that is not a number and "Overflow" for one
/// outside 32 bits.
int32_t parseColour(const QString& text);

/// A colour as it is stored: signed decimal without a leading blank.
QString formatColour(int32_t colour);

}  // namespace settings
