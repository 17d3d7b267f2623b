#include "mailer/run/share_wait.h"

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/journal_stream.h"
#include "platform/service_notifier.h"

#include <chrono>
#include <thread>

namespace run {

QString missingFolder(platform::FileSystem& fs, const QString& folder)
{
    if (fs.isFolder(folder))
        return {};
    // "\\host\share\a\b": the share, then each folder below it, until one is not there.
    const QStringList parts = folder.mid(2).split(QLatin1Char('\\'));
    QString path = QStringLiteral("\\\\") + parts.value(0);
    for (int i = 1; i < parts.size(); ++i) {
        path += QLatin1Char('\\') + parts[i];
        if (i + 1 < parts.size() && fs.isFolder(path))
            continue;
        QString host;
        try {
            host = fs.hostPath(path);
        } catch (const platform::Error&) {
            host = QStringLiteral("not a path that maps to this machine");
        }
        return QStringLiteral("no %1 (%2)%3")
            .arg(path, host, i == 1 ? QStringLiteral("; is the share mounted?") : QString());
    }
    return {};
}

bool waitForFolder(platform::FileSystem& fs, const QString& folder, platform::ServiceNotifier& service,
                   const std::atomic<bool>& stop, std::ostream& err)
{
    QString missing = missingFolder(fs, folder);
    if (missing.isEmpty())
        return true;
    err << platform::warning << "Cannot Connect to: " << folder.toStdString() << ", trying again every second: "
        << missing.toStdString() << std::endl;
    while (!missing.isEmpty()) {
        service.waiting(folder, missing);
        for (int i = 0; i < 10 && !stop; ++i) {
            service.idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (stop)
            return false;
        missing = missingFolder(fs, folder);
    }
    err << platform::info << "Connected to: " << folder.toStdString() << std::endl;
    return true;
}

}  // namespace run
