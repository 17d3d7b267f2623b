#include "mailer/handoff/claim.h"

#include "platform/error.h"
#include "platform/file_system.h"

namespace handoff {
namespace {

const QString kSuffix = QStringLiteral(".claimed");

}  // namespace

QString claimedPath(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    return path.left(cut + 1) + QLatin1Char('.') + path.mid(cut + 1) + kSuffix;
}

QString unclaimedName(const QString& claimed)
{
    if (!claimed.startsWith(QLatin1Char('.')) || !claimed.endsWith(kSuffix) || claimed.size() <= 1 + kSuffix.size())
        return {};
    return claimed.mid(1, claimed.size() - 1 - kSuffix.size());
}

void claim(platform::FileSystem& fs, const QString& statement, const QString& detail)
{
    if (!detail.isEmpty())
        fs.rename(detail, claimedPath(detail));
    try {
        fs.rename(statement, claimedPath(statement));
    } catch (const platform::Error&) {
        if (!detail.isEmpty()) {
            try {
                fs.rename(claimedPath(detail), detail);
            } catch (const platform::Error&) {
                // The next run's recovery gives the detail file its name back.
            }
        }
        throw;
    }
}

void dropClaim(platform::FileSystem& fs, const QString& statement, const QString& detail)
{
    if (!detail.isEmpty())
        fs.remove(claimedPath(detail));
    fs.remove(claimedPath(statement));
}

}  // namespace handoff
