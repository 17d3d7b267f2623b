#include "mailer/attach/folder_browser.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace attach {

QStringList availableDrives()
{
    QStringList drives{QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool browsed = root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/"))
                             || root.startsWith(QLatin1String("/run/media/")) || root == QLatin1String("/mnt")
                             || root.startsWith(QLatin1String("/home"));
        if (browsed && volume.isValid() && volume.isReady() && !drives.contains(root))
            drives << root;
    }
    return drives;
}

QString driveOf(const QStringList& drives, const QString& folder)
{
    QString best = QStringLiteral("/");
    for (const QString& d : drives) {
        const bool inside = folder == d || folder.startsWith(d.endsWith(QLatin1Char('/')) ? d : d + QLatin1Char('/'));
        if (inside && d.size() > best.size())
            best = d;
    }
    return best;
}

std::vector<FolderEntry> folderTrail(const QString& drive, const QString& folder)
{
    std::vector<FolderEntry> trail;
    trail.push_back({drive, drive, 0, folder == drive});
    QString path = drive;
    const QStringList parts = folder.mid(drive.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    int depth = 0;
    for (const QString& part : parts) {
        path = path.endsWith(QLatin1Char('/')) ? path + part : path + QLatin1Char('/') + part;
        trail.push_back({path, part, ++depth, path == folder});
    }
    QStringList subfolders = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subfolders) {
        const QString subPath = folder.endsWith(QLatin1Char('/')) ? folder + sub : folder + QLatin1Char('/') + sub;
        trail.push_back({subPath, sub, depth + 1, false});
    }
    return trail;
}

QStringList filesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

}  // namespace attach
