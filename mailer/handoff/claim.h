#pragma once
#include <QString>

namespace platform {
class FileSystem;
}

// A statement is claimed before its request can reach the mail sender: its files are renamed to
// hidden names inside their own folders, which the listing skips. A file that cannot be renamed
// cannot be deleted either, so such a statement fails before anything is mailed.
namespace handoff {

/// ".<name>.claimed" for a bare name; for a path, the same in the path's folder.
QString claimedPath(const QString& path);
/// The bare name a claimed name came from, or an empty text when `claimed` is no claim.
QString unclaimedName(const QString& claimed);
/// The pattern of claimed names in a listing of hidden entries.
inline const QString kClaimedPattern = QStringLiteral(".*.claimed");

/// Claims `detail` (when not empty) and then `statement`, so a claimed statement always has its
/// detail claimed too. On failure what was claimed is renamed back and the error is raised.
void claim(platform::FileSystem& fs, const QString& statement, const QString& detail);
/// Deletes the claimed files once the request is handed off: the detail first, so a failure in
/// between never leaves a detail file for a later statement of the same name.
void dropClaim(platform::FileSystem& fs, const QString& statement, const QString& detail);

}  // namespace handoff
