#include "mailer/attach/attachment_copy.h"

#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"

namespace attach {

int32_t NotInList(const QStringList& entries, const QString& entry)
{
    for (const QString& e : entries)
        if (e == entry)
            return 0;
    return 1;
}

QString GetFileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString whyNotMailable(const QString& name)
{
    for (const char32_t c : name.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        bool inCodePage = true;
        platform::toCp1252(one, &inCodePage);
        if (c == '\r' || c == '\n')
            return QStringLiteral("its name holds a line break, which would split the mail request");
        if (c == '\t')
            return QStringLiteral("its name holds a tab, which separates the names of the attachments");
        if (QChar::category(c) == QChar::Other_Control)
            return QStringLiteral("its name holds a control character (code %1)").arg(uint(c));
        if (c == '|')
            return QStringLiteral("its name holds \"|\", which separates the attachments in the mail request");
        if (c == '\\')
            return QStringLiteral("its name holds \"\\\", which the mail sender reads as a folder separator");
        if (QStringLiteral(":*?\"<>").contains(one))
            return QStringLiteral("its name holds \"%1\", which Windows does not allow in a file name").arg(one);
        if (!inCodePage)
            return QStringLiteral("its name holds \"%1\", which the mail request's character set "
                                  "(Windows-1252) cannot hold").arg(one);
    }
    return {};
}

QString refusedAttachmentMessage(const QString& path, const QString& why)
{
    // Control characters are spelled out, so the name stays on one line and can be found.
    QString shown;
    for (const QChar c : path) {
        if (c == QLatin1Char('\t'))
            shown += QStringLiteral("<TAB>");
        else if (c == QLatin1Char('\r'))
            shown += QStringLiteral("<CR>");
        else if (c == QLatin1Char('\n'))
            shown += QStringLiteral("<LF>");
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown + QStringLiteral(" cannot be attached: ") + why
           + QStringLiteral(".\nRename the file, or copy it under another name, and choose it again.");
}

QString attachmentFolder(const input::modBrevix& run)
{
    return QStringLiteral("\\\\") + run.ServerName + QStringLiteral("\\parlow\\email") + run.StoreNumber
           + QStringLiteral("\\statements\\out");
}

std::vector<FailedCopy> CopyAttachment(platform::FileSystem& fs, input::modBrevix& run, const QStringList& entries)
{
    std::vector<FailedCopy> failed;
    run.AttachList.clear();
    for (const QString& entry : entries) {
        const QString name = GetFileName(entry);
        try {
            if (name.isEmpty())
                throw platform::Error(platform::Error::FileNotFound, entry);
            fs.copyReplacing(entry, attachmentFolder(run) + QLatin1Char('\\') + name);
        } catch (const platform::Error& e) {
            // A mail must not name an attachment that is not there.
            failed.push_back({entry, QStringLiteral("Error %1: %2").arg(e.number()).arg(e.description())});
            continue;
        }
        run.AttachList += name + QLatin1Char('\t');
    }
    return failed;
}

QString failedCopiesMessage(const std::vector<FailedCopy>& failed, const QString& outFolder)
{
    QString text = QStringLiteral("These files could not be copied to %1 and will not be attached:").arg(outFolder);
    for (const FailedCopy& f : failed)
        text += QStringLiteral("\n") + f.path + QStringLiteral(" (") + f.reason + QLatin1Char(')');
    text += QStringLiteral("\nCheck that the files can be read and the out folder written, then choose them again.");
    return text;
}

}  // namespace attach
