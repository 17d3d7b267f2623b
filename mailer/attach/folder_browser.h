#pragma once
#include <QString>
#include <QStringList>

namespace attach {

/// The places the drive list offers: the root folder, the user's home, and the mounted file
/// systems a user browses (removable media and mounted shares).
QStringList availableDrives();

/// The drive of `drives` that holds `folder`: the longest one that is a prefix of it.
QString driveOf(const QStringList& drives, const QString& folder);

/// One line of the folder list: a folder path and its depth of indentation.
struct FolderEntry {
    QString path;
    QString label;
    int depth;
    bool current;
};

/// The folder list for `folder` on `drive`: the drive, each folder down to `folder`, then the
/// subfolders of `folder` in name order.
std::vector<FolderEntry> folderTrail(const QString& drive, const QString& folder);

/// The ordinary, non-hidden files of a folder in name order.
QStringList filesOf(const QString& folder);

}  // namespace attach
