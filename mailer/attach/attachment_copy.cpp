#include "mailer/attach/attachment_copy.h"

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
