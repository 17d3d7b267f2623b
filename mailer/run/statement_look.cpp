#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/name_check.h"
#include "mailer/run/statement_paths.h"

// The look at the temp folder: which statements wait, and which of them stood still long enough
// to be taken.
namespace run {
namespace {

const QString kPattern = QStringLiteral("*.txt");

/// Of names that differ only in letter case, one is taken per look: their PDFs and detail files
/// are one file on the statement server. The next look takes the other, or sets it aside.
QHash<QString, QByteArray> firstOfEachCase(const std::vector<platform::FolderEntry>& listed)
{
    QHash<QString, QByteArray> first;
    for (const platform::FolderEntry& entry : listed) {
        auto it = first.find(entry.name.toCaseFolded());
        if (it == first.end() || entry.bytes < *it)
            first.insert(entry.name.toCaseFolded(), entry.bytes);
    }
    return first;
}

}  // namespace

QString StatementMailer::tempFolder() const
{
    return run::tempFolder(settings_.ServerName, settings_.StoreNumber);
}

std::vector<platform::FolderEntry> StatementMailer::look()
{
    const QString temp = tempFolder();
    const qint64 now = clock_();
    std::vector<platform::FolderEntry> ready;
    QSet<QString> present;
    detailSeen_.clear();
    settling_ = false;
    leftBehind_.clear();
    std::vector<platform::FolderEntry> listed = listWaiting(temp);
    listDetails(listed.empty());
    const QHash<QString, QByteArray> firstOfCase = firstOfEachCase(listed);
    for (platform::FolderEntry& entry : listed) {
        const QByteArray first = firstOfCase.value(entry.name.toCaseFolded());
        if (first != entry.bytes) {
            leftBehind_ << QStringLiteral("%1 waits for %2, whose name differs only in letter case")
                               .arg(entry.name, QString::fromUtf8(first));
            continue;
        }
        std::optional<platform::FileStamp> detailStamp;
        if (hasSettled(temp, entry, now, present, detailStamp)) {
            detailSeen_.insert(entry.bytes, detailStamp);
            ready.push_back(std::move(entry));
        } else {
            settling_ = true;
            leftBehind_ << QStringLiteral("%1 is still being written (settling)").arg(entry.name);
        }
    }
    settle_.keepOnly(present);
    return ready;
}

std::vector<platform::FolderEntry> StatementMailer::listWaiting(const QString& temp)
{
    std::vector<platform::FolderEntry> listed;
    for (platform::FolderEntry& entry : fs_.entries(temp, kPattern, false)) {
        const auto aside = setAside_.constFind(entry.bytes);
        if (aside != setAside_.cend()) {
            if (*aside == entry.stamp)
                continue;
            setAside_.remove(entry.bytes);
        }
        listed.push_back(std::move(entry));
    }
    return listed;
}

bool StatementMailer::hasSettled(const QString& temp, const platform::FolderEntry& entry, qint64 now,
                                 QSet<QString>& present, std::optional<platform::FileStamp>& detailStamp)
{
    const bool watchWriters = settle_.settleMs() > 0;
    const QString key = QString::fromLatin1(entry.bytes);
    present << key;
    bool settled = settle_.settled(key, entry.stamp, now);
    if (!handoff::refusalOf(entry).isEmpty())
        return settled;
    const QString path = temp + QLatin1Char('\\') + entry.name;
    const QString detail = detailPathFor(path);
    detailStamp = listedDetail(detail);
    if (detailStamp) {
        present << detail;
        settled = settle_.settled(detail, *detailStamp, now) && settled;
        if (settled && watchWriters && fs_.openForWriting(detail))
            settled = false;
    }
    if (settled && watchWriters && fs_.openForWriting(path))
        settled = false;
    return settled;
}

void StatementMailer::listDetails(bool none)
{
    // One listing a look answers for every statement's detail file: a missing one costs no
    // lookup of its own. One that comes after the look is found when the statement is claimed.
    detailsListed_.clear();
    detailsFolded_.clear();
    if (none)
        return;
    const QString tempdet = detailPathFor(tempFolder() + QStringLiteral("\\x")).chopped(2);
    for (platform::FolderEntry& entry : fs_.entries(tempdet, QStringLiteral("*"), false)) {
        detailsListed_.insert(entry.name, entry.stamp);
        detailsFolded_.insert(entry.name.toCaseFolded(), entry.stamp);
    }
}

std::optional<platform::FileStamp> StatementMailer::listedDetail(const QString& detail) const
{
    // As the statement server finds a name: the exact spelling first, then any letter case.
    const QString name = handoff::nameOf(detail);
    if (const auto exact = detailsListed_.constFind(name); exact != detailsListed_.cend())
        return *exact;
    if (const auto folded = detailsFolded_.constFind(name.toCaseFolded()); folded != detailsFolded_.cend())
        return *folded;
    return std::nullopt;
}

void StatementMailer::setAside(const platform::FolderEntry& entry)
{
    setAside_.insert(entry.bytes, entry.stamp);
}

QString StatementMailer::onDisk(const platform::FolderEntry& entry) const
{
    return tempFolder() + QLatin1Char('\\') + handoff::escapedName(entry.bytes);
}

MailedStatement StatementMailer::requeue(const platform::FolderEntry& entry, MailedStatement result)
{
    settle_.restart(QString::fromLatin1(entry.bytes));
    // Still to be taken: a run once waits for it as for any file still settling.
    settling_ = true;
    leftBehind_ << QStringLiteral("%1 changed while it was taken and settles again").arg(entry.name);
    result.changed = true;
    return result;
}

}  // namespace run
