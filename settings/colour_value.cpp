#include "settings/colour_value.h"

#include "platform/error.h"

#include <QRegularExpression>
#include <limits>

namespace settings {

int32_t parseColour(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok) {
        // Digits that do not fit 64 bits are still a number, only too large.
        static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
        if (digits.match(trimmed).hasMatch())
            throw platform::Error(platform::Error::Overflow);
        throw platform::Error(platform::Error::TypeMismatch);
    }
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw platform::Error(platform::Error::Overflow);
    return static_cast<int32_t>(value);
}

QString formatColour(int32_t colour)
{
    return QString::number(colour);
}

}  // namespace settings
