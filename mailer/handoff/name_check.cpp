#include "mailer/handoff/name_check.h"

#include "platform/cp1252.h"
#include "platform/file_system.h"

namespace handoff {

QString refusalOf(const platform::FolderEntry& entry)
{
    if (entry.stamp.kind == platform::FileStamp::Link)
        return QStringLiteral("it is a symbolic link, and only a regular file is taken");
    if (entry.stamp.kind != platform::FileStamp::Regular)
        return QStringLiteral("it is not a regular file");
    if (!entry.mapsBack())
        return QStringLiteral("its name is not valid UTF-8, so it cannot be opened by name");
    bool exact = true;
    platform::toCp1252(entry.name, &exact);
    if (!exact)
        return QStringLiteral("its name holds characters that Windows-1252 cannot write, so the mail request "
                              "could not name its PDF");
    for (const QChar c : entry.name) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return QStringLiteral("its name holds a control character");
        if (QStringLiteral("\\/:|*?\"<>").contains(c))
            return QStringLiteral("its name holds '%1', which no statement file name may hold").arg(c);
    }
    return {};
}

QString escapedName(const QByteArray& bytes)
{
    QString text;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b >= 0x7F || b == '\\')
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(ch);
    }
    return text;
}

bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (!(c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')
                                     || c == QLatin1Char('.'))))
            return false;
    return true;
}

}  // namespace handoff
