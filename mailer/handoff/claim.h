#pragma once
#include <QString>

namespace platform {
class FileSystem;
}

// A statement is claimed before its request can reach the mail sender: its files are renamed to
// hidden names inside their own folders, which the listing skips. The hidden name carries the
// claiming run's id, so only one run can ever hold a claim, and recovery knows whose it is. A file
// that cannot be renamed cannot be deleted either, so such a statement fails before anything is
// mailed.
namespace handoff {

/// ".<name>.<runId>.claimed" for a bare name; for a path, the same in the path's folder.
QString claimedPath(const QString& path, const QString& runId);

/// What a hidden name says of a claim: the bare name claimed and the run that claimed it.
/// Claims of earlier versions have no run id; `name` is empty when the text is no claim.
struct ClaimName {
    QString name;
    QString runId;
};
ClaimName parseClaim(const QString& hidden);
/// The pattern of claimed names in a listing of hidden entries.
inline const QString kClaimedPattern = QStringLiteral(".*.claimed");

/// Claims `detail` (when not empty) and then `statement` for `runId`, so a claimed statement
/// always has its detail claimed too. On failure what was claimed is renamed back and the error is
/// raised.
void claim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId);
/// Gives claimed files their names back, the statement first; a name taken meanwhile by a newer
/// file keeps the newer one, and the claimed one is left for recovery.
void unclaim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId);
/// Deletes the claimed files once the request is handed off: the detail first, so a failure in
/// between never leaves a detail file for a later statement of the same name.
void dropClaim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId);

}  // namespace handoff
