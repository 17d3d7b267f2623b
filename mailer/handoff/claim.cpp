#include "mailer/handoff/claim.h"

#include "mailer/handoff/store_session.h"
#include "platform/error.h"
#include "platform/file_system.h"

namespace handoff {
namespace {

const QString kSuffix = QStringLiteral(".claimed");

void renameBack(platform::FileSystem& fs, const QString& path, const QString& runId)
{
    try {
        fs.rename(claimedPath(path, runId), path);
    } catch (const platform::Error&) {
        // A newer file took the name; recovery removes the claimed one once this run has ended.
    }
}

}  // namespace

QString claimedPath(const QString& path, const QString& runId)
{
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    const QString run = runId.isEmpty() ? QString() : QLatin1Char('.') + runId;
    return path.left(cut + 1) + QLatin1Char('.') + path.mid(cut + 1) + run + kSuffix;
}

ClaimName parseClaim(const QString& hidden)
{
    if (!hidden.startsWith(QLatin1Char('.')) || !hidden.endsWith(kSuffix) || hidden.size() <= 1 + kSuffix.size())
        return {};
    QString name = hidden.mid(1, hidden.size() - 1 - kSuffix.size());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString run = dot > 0 ? name.mid(dot + 1) : QString();
    if (!isRunId(run))
        return {name, {}};
    return {name.left(dot), run};
}

void claim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId)
{
    if (!detail.isEmpty())
        fs.rename(detail, claimedPath(detail, runId));
    try {
        fs.rename(statement, claimedPath(statement, runId));
    } catch (const platform::Error&) {
        if (!detail.isEmpty())
            renameBack(fs, detail, runId);
        throw;
    }
}

void unclaim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId)
{
    renameBack(fs, statement, runId);
    if (!detail.isEmpty())
        renameBack(fs, detail, runId);
}

void dropClaim(platform::FileSystem& fs, const QString& statement, const QString& detail, const QString& runId)
{
    if (!detail.isEmpty())
        fs.remove(claimedPath(detail, runId));
    fs.remove(claimedPath(statement, runId));
}

}  // namespace handoff
