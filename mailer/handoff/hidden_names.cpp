#include "mailer/handoff/hidden_names.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace handoff {
namespace {

const QString kClaimed = QStringLiteral(".claimed");
const QString kRequestPrefix = QStringLiteral(".STMT_");
const QString kMarkerPrefix = QStringLiteral(".FILE_");
const QString kTxt = QStringLiteral(".TXT");
const QString kAlivePrefix = QStringLiteral(".brevix.");
const QString kAlive = QStringLiteral(".alive");

const QRegularExpression& runPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{32}$"));
    return pattern;
}

const QRegularExpression& tokenPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9a-f]{32})-[0-9]+d?$"));
    return pattern;
}

/// Splits ".<rest>.<a>.<b>" (the suffix already cut) into rest, a and b; false when it is not so.
bool splitTwo(const QString& text, QString& rest, QString& a, QString& b)
{
    if (!text.startsWith(QLatin1Char('.')))
        return false;
    const qsizetype second = text.lastIndexOf(QLatin1Char('.'));
    const qsizetype first = second > 1 ? text.lastIndexOf(QLatin1Char('.'), second - 1) : -1;
    if (first <= 1)
        return false;
    rest = text.mid(1, first - 1);
    a = text.mid(first + 1, second - first - 1);
    b = text.mid(second + 1);
    return true;
}

}  // namespace

QString newRunId()
{
    quint64 bits[2];
    QRandomGenerator::system()->fillRange(bits, 2);
    return QStringLiteral("%1%2").arg(bits[0], 16, 16, QLatin1Char('0')).arg(bits[1], 16, 16, QLatin1Char('0'));
}

bool isRunId(const QString& text)
{
    return runPattern().match(text).hasMatch();
}

QString attemptToken(const QString& runId, quint64 n, bool withDetail)
{
    return QStringLiteral("%1-%2%3").arg(runId).arg(n).arg(withDetail ? QStringLiteral("d") : QString());
}

bool isToken(const QString& text)
{
    return tokenPattern().match(text).hasMatch();
}

QString runOfToken(const QString& token)
{
    return token.left(32);
}

bool tokenHasDetail(const QString& token)
{
    return token.endsWith(QLatin1Char('d'));
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString claimedPath(const QString& path, const QString& token, const QString& owner)
{
    return folderOf(path) + QLatin1Char('.') + nameOf(path) + QLatin1Char('.') + token + QLatin1Char('.') + owner + kClaimed;
}

ClaimName parseClaim(const QString& hidden)
{
    ClaimName claim;
    if (!hidden.endsWith(kClaimed) || !splitTwo(hidden.chopped(kClaimed.size()), claim.name, claim.token, claim.owner)
        || !isToken(claim.token) || !isRunId(claim.owner))
        return {};
    return claim;
}

QString stagedPath(const QString& path, const QString& token, const QString& writer)
{
    return folderOf(path) + QLatin1Char('.') + nameOf(path) + QLatin1Char('.') + token + QLatin1Char('.') + writer;
}

StagedName parseStaged(const QString& hidden)
{
    StagedName staged;
    if (!splitTwo(hidden, staged.name, staged.token, staged.writer) || !isToken(staged.token) || !isRunId(staged.writer))
        return {};
    return staged;
}

QString requestPath(const QString& storeFolder, const QString& account, const QString& token, bool mail)
{
    return storeFolder + QLatin1Char('\\') + (mail ? kRequestPrefix : kMarkerPrefix) + account + QLatin1Char('.') + token
           + kTxt;
}

RequestName parseRequest(const QString& hidden)
{
    const QString& prefix = hidden.startsWith(kMarkerPrefix) ? kMarkerPrefix : kRequestPrefix;
    if (!hidden.startsWith(prefix) || !hidden.endsWith(kTxt))
        return {};
    const QString middle = hidden.mid(prefix.size(), hidden.size() - prefix.size() - kTxt.size());
    const qsizetype dot = middle.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || !isToken(middle.mid(dot + 1)))
        return {};
    return {middle.left(dot), middle.mid(dot + 1)};
}

QString heartbeatPath(const QString& storeFolder, const QString& runId)
{
    return storeFolder + QLatin1Char('\\') + kAlivePrefix + runId + kAlive;
}

QString parseHeartbeat(const QString& hidden)
{
    if (!hidden.startsWith(kAlivePrefix) || !hidden.endsWith(kAlive))
        return {};
    const QString run = hidden.mid(kAlivePrefix.size(), hidden.size() - kAlivePrefix.size() - kAlive.size());
    return isRunId(run) ? run : QString();
}

}  // namespace handoff
