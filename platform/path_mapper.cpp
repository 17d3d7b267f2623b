#include "platform/path_mapper.h"

#include <cerrno>

#include "platform/unix_handles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

const QString kInstallPrefix = QStringLiteral("c:\\program files\\torvik");
const QString kWorkingBitmap = QStringLiteral("c:\\logopic.bmp");

bool entryExists(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Longer than the tick of any file system clock.
constexpr qint64 kRacyNs = 50'000'000;

qint64 nowNs()
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 stampOf(const QByteArray& folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

struct PathMapper::FolderIndexes {
    struct Index {
        qint64 stamp = -1;
        /// The folder changed so shortly before it was read that a name added in the same tick of
        /// the file system's clock would leave its time unchanged: read it again next time.
        bool racy = true;
        /// The look in which its time was last found unchanged: within a look it is trusted
        /// without asking again, and kept current by this program's own changes.
        quint64 checked = 0;
        /// This program is changing the folder: its time just before, to be compared with the
        /// index's when the changes are made durable.
        bool changing = false;
        qint64 before = -1;
        /// A hash of each case-folded name, not the names: an out folder or archive of a million
        /// statements would otherwise hold hundreds of megabytes, and grow for as long as a
        /// service runs. Only a name that exists in another spelling is looked for on disk.
        QSet<quint64> names;
        /// The names found on disk in another spelling than asked for (a logo, a folder), by hash.
        QHash<quint64, QString> spellings;
    };
    std::mutex mutex;
    QHash<QByteArray, Index> folders;
    quint64 look = 1;
    /// The folders resolved since the last look at the share: the host path as written, to the
    /// folder that exists.
    QHash<QString, QString> resolved;
    /// A share folder as the programs write it (\\host\share\folder), once all of it resolved in
    /// this look: its host path, and its host path as written.
    struct KnownFolder {
        QString host, written;
    };
    QHash<QString, KnownFolder> knownFolders;
    /// The files the last listing of each folder found, by the folder and name as written: named
    /// as they lie on disk.
    QHash<QString, QSet<QString>> listed;

    static quint64 hashOf(const QString& name) { return qHash(name.toCaseFolded(), 0); }

    /// The name of an entry of `folder` equal to `name` but for letter case, or `name` itself.
    /// Folders are read without holding the lock, so that threads mapping paths at once do not
    /// wait for each other's reading.
    QString matchCase(const QString& folder, const QString& name, bool trustLook)
    {
        const QByteArray key = QFile::encodeName(folder);
        const quint64 hash = hashOf(name);
        bool current = false;
        qint64 stamp = -1;
        {
            std::lock_guard<std::mutex> lock(mutex);
            auto it = folders.find(key);
            if (trustLook && it != folders.end() && it->checked == look) {
                stamp = it->stamp;
            } else {
                // Asked once a look: a folder's time costs a round trip on a network share.
                stamp = stampOf(key);
                if (it != folders.end() && stamp >= 0 && it->stamp == stamp && !it->racy)
                    it->checked = look;
            }
            if (it != folders.end() && it->checked == look) {
                if (!it->names.contains(hash))
                    return name;
                auto known = it->spellings.constFind(hash);
                if (known != it->spellings.constEnd() && known->compare(name, Qt::CaseInsensitive) == 0)
                    return *known;
                current = true;
            }
        }
        if (!current) {
            Index index{stamp, nowNs() - stamp < kRacyNs, 0, false, -1, {}, {}};
            if (const UniqueDir dir = openDir(key.constData()))
                while (dirent* e = ::readdir(dir.get()))
                    index.names.insert(hashOf(QFile::decodeName(e->d_name)));
            index.names.squeeze();
            const bool listed = index.names.contains(hash);
            {
                std::lock_guard<std::mutex> lock(mutex);
                index.checked = index.racy ? 0 : look;
                folders[key] = std::move(index);
            }
            if (!listed)
                return name;
        }
        const QString found = spelling(key, name);
        std::lock_guard<std::mutex> lock(mutex);
        auto it = folders.find(key);
        if (found != name && it != folders.end() && it->stamp == stamp && it->spellings.size() < 64)
            it->spellings.insert(hash, found);
        return found;
    }

    /// The entry of the host folder that equals `name` but for letter case, or `name`.
    static QString spelling(const QByteArray& folder, const QString& name)
    {
        const QString folded = name.toCaseFolded();
        QString found = name;
        if (const UniqueDir dir = openDir(folder.constData())) {
            while (dirent* e = ::readdir(dir.get())) {
                const QString candidate = QFile::decodeName(e->d_name);
                if (candidate.toCaseFolded() == folded) {
                    found = candidate;
                    break;
                }
            }
        }
        return found;
    }

    bool wasListed(const QString& folder, const QString& name)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = listed.constFind(folder);
        return it != listed.constEnd() && it->contains(name);
    }

    /// Whether the folder's index, trusted in this look, holds no spelling of the name.
    bool knownAbsent(const QString& folder, const QString& name)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = folders.constFind(QFile::encodeName(folder));
        return it != folders.constEnd() && it->checked == look && !it->names.contains(hashOf(name));
    }

    std::optional<QString> resolvedFolder(const QString& written)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = resolved.constFind(written);
        return it == resolved.constEnd() ? std::nullopt : std::optional<QString>(it.value());
    }

    std::optional<KnownFolder> knownFolder(QStringView windowsFolder)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = knownFolders.constFind(windowsFolder.toString());
        return it == knownFolders.constEnd() ? std::nullopt : std::optional<KnownFolder>(it.value());
    }

    void noteKnownFolder(const QString& windowsFolder, const QString& host, const QString& written)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (knownFolders.size() >= 256)  // as the resolved folders
            knownFolders.clear();
        knownFolders.insert(windowsFolder, KnownFolder{host, written});
    }

    void noteResolved(const QString& written, const QString& host)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (resolved.size() >= 256)  // a look never needs more: keep the memory flat
            resolved.clear();
        resolved.insert(written, host);
    }
};

namespace {

/// The entry itself in its folder, resolved or not: what its look finds is told to the caller,
/// who need not look again.
QString appendLast(const QString& host, const QString& written, bool resolving, const QString& part,
                   PathMapper::FolderIndexes& indexes, EntryLook* look)
{
    EntryLook seen;
    QString name = part;
    const bool hidden = part.startsWith(QLatin1Char('.'));
    if (!resolving) {
        seen.state = EntryLook::NotThere;
    } else if (!look && indexes.wasListed(written, part)) {
        // Named as this look's listing found it on disk: the path is the name.
        seen.state = EntryLook::NotLooked;
    } else if (hidden && !look) {
        // A hidden name is one this program made up (a staged file, a request, a claim), always
        // spelled alike: the path is the same whether it exists or not.
        seen.state = EntryLook::NotLooked;
    } else if ((!look || look->indexWillDo) && indexes.knownAbsent(host, part)) {
        seen.state = EntryLook::NotThere;
    } else if (::lstat(QFile::encodeName(host + QLatin1Char('/') + name).constData(), &seen.st) == 0) {
        seen.state = EntryLook::There;
    } else if (errno != ENOENT && errno != ENOTDIR) {
        seen.state = EntryLook::NotThere;
        seen.error = errno;
    } else if (hidden) {
        seen.state = EntryLook::NotThere;
    } else {
        // A state asked for (does it exist, how does it stand) is asked of the folder as it is now.
        name = indexes.matchCase(host, name, !look || look->indexWillDo);
        seen.state = name == part ? EntryLook::NotThere : EntryLook::NotLooked;
    }
    if (look)
        *look = seen;
    return host + QLatin1Char('/') + name;
}

/// Appends the components below a root, resolving letter case while the path exists. The folders
/// that exist are resolved once per look: a statement's dozen paths share a handful of them.
/// `resolvedFolder`, when given, learns the host folder and its written path when all of it exists.
std::optional<QString> appendComponents(const QString& root, const QStringList& parts,
                                        PathMapper::FolderIndexes& indexes, EntryLook* look,
                                        PathMapper::FolderIndexes::KnownFolder* resolvedFolder = nullptr)
{
    for (const QString& part : parts)
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return std::nullopt;
    if (parts.isEmpty()) {
        if (look)
            look->state = EntryLook::NotLooked;
        return root;
    }
    const qsizetype folders = parts.size() - 1;
    QString written = root;
    for (qsizetype i = 0; i < folders; ++i)
        written += QLatin1Char('/') + parts[i];
    QString host;
    qsizetype first = 0;
    bool resolving = true;
    if (std::optional<QString> folder = indexes.resolvedFolder(written)) {
        host = *folder;
        first = folders;
    } else {
        host = root;
        written = root;
        resolving = entryExists(root);
    }
    for (qsizetype i = first; i < folders; ++i) {
        const QString& part = parts[i];
        QString name = part;
        if (resolving && !entryExists(host + QLatin1Char('/') + name)) {
            // No other spelling means nothing of this name: no need to look again.
            name = indexes.matchCase(host, name, true);
            resolving = name != part && entryExists(host + QLatin1Char('/') + name);
        }
        host += QLatin1Char('/') + name;
        written += QLatin1Char('/') + part;
        if (resolving)
            indexes.noteResolved(written, host);
    }
    if (resolving && resolvedFolder)
        *resolvedFolder = {host, written};
    return appendLast(host, written, resolving, parts.back(), indexes, look);
}

QStringList components(const QString& text)
{
    return text.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString programPrefix()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return QStringLiteral("/usr");
    buf[n] = '\0';
    QDir bin = QFileInfo(QFile::decodeName(buf)).absoluteDir();
    bin.cdUp();
    return bin.absolutePath();
}

QString envOr(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

PathMapper::PathMapper(PathRoots roots) : roots_(std::move(roots)), indexes_(std::make_shared<FolderIndexes>()) {}

void PathMapper::beforeCreating(const QByteArray& hostPath) const
{
    const QByteArray folder = hostPath.left(std::max<qsizetype>(hostPath.lastIndexOf('/'), 1));
    if (hostPath.mid(hostPath.lastIndexOf('/') + 1).startsWith('.'))
        return;
    {
        std::lock_guard<std::mutex> lock(indexes_->mutex);
        auto it = indexes_->folders.constFind(folder);
        if (it == indexes_->folders.constEnd() || it->changing)
            return;
    }
    // Once for all of a step's changes to the folder, not once for each; it checks the index too.
    const qint64 before = stampOf(folder);
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    auto it = indexes_->folders.find(folder);
    if (it == indexes_->folders.end() || it->changing)
        return;
    // A folder this program keeps changing is always freshly changed when read: its index, once
    // its time holds still until this program's next change, is taken as current.
    if (it->checked != indexes_->look && before >= 0 && before == it->stamp) {
        it->checked = indexes_->look;
        it->racy = false;
    }
    if (it->checked == indexes_->look) {
        it->changing = true;
        it->before = before;
    }
}

void PathMapper::changesDurable(const QByteArray& folder, qint64 stampNow) const
{
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    auto it = indexes_->folders.find(folder);
    if (it == indexes_->folders.end() || !it->changing)
        return;
    // Unchanged by others up to this program's first change, the index holds what this program
    // added since: it stays current at the folder's new time. A name another program adds while
    // this program changes the folder goes unseen until the folder changes again; in the folders
    // this program fills (out, in, archive) that costs at most a file whose name differs in case.
    it->stamp = it->before == it->stamp ? stampNow : -1;
    it->racy = false;
    it->changing = false;
}

void PathMapper::noteCreated(const QByteArray& hostPath) const
{
    const QByteArray folder = hostPath.left(std::max<qsizetype>(hostPath.lastIndexOf('/'), 1));
    const QString name = QFile::decodeName(hostPath.mid(hostPath.lastIndexOf('/') + 1));
    // Hidden names (claims, staged files, temporaries) are never looked up in another spelling.
    if (name.startsWith(QLatin1Char('.')))
        return;
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    auto it = indexes_->folders.find(folder);
    // An index trusted in this look learns the name; any other is checked against the folder's
    // time when next asked, which this creation changed.
    if (it != indexes_->folders.end() && it->checked == indexes_->look)
        it->names.insert(FolderIndexes::hashOf(name));
}

void PathMapper::newLook() const
{
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    indexes_->resolved.clear();
    indexes_->knownFolders.clear();
    ++indexes_->look;
    // Changes never made durable, and so never compared: the folder is read again when asked.
    for (auto it = indexes_->folders.begin(); it != indexes_->folders.end(); ++it)
        if (it->changing) {
            it->changing = false;
            it->stamp = -1;
        }
}

quint64 PathMapper::lookNumber() const
{
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    return indexes_->look;
}

PathRoots PathRoots::fromEnvironment()
{
    PathRoots roots;
    roots.uncRoot = envOr("TORVIK_UNC_ROOT", QStringLiteral("/mnt/unc"));
    roots.installDir = envOr("TORVIK_HOME", programPrefix() + QStringLiteral("/share/torvik"));
    roots.cacheDir = envOr("XDG_CACHE_HOME", QDir::homePath() + QStringLiteral("/.cache"));
    return roots;
}

std::optional<QString> PathMapper::toHost(const QString& windowsPath, EntryLook* look) const
{
    const bool trailingSeparator = windowsPath.endsWith(QLatin1Char('\\'));
    std::optional<QString> host;
    if (look)
        look->state = EntryLook::NotLooked;

    if (windowsPath.startsWith(QLatin1Char('/'))) {
        return windowsPath;
    } else if (windowsPath.startsWith(QLatin1String("\\\\"))) {
        // Server and share must be named: "\\\parlow" has an empty server.
        // A folder all of which was found in this look maps without taking the text apart again:
        // a statement's paths lie in a handful of folders.
        const qsizetype cut = windowsPath.lastIndexOf(QLatin1Char('\\'));
        const QString name = windowsPath.mid(cut + 1);
        const bool plainName = !trailingSeparator && cut > 1 && name != QLatin1String(".") && name != QLatin1String("..");
        if (plainName) {
            if (const auto known = indexes_->knownFolder(QStringView(windowsPath).left(cut)))
                return appendLast(known->host, known->written, true, name, *indexes_, look);
        }
        const QStringList raw = windowsPath.mid(2).split(QLatin1Char('\\'));
        if (raw.size() < 2 || raw[0].isEmpty() || raw[1].isEmpty())
            return std::nullopt;
        FolderIndexes::KnownFolder folder;
        host = appendComponents(roots_.uncRoot, components(windowsPath.mid(2)), *indexes_, look, plainName ? &folder : nullptr);
        if (host && !folder.host.isEmpty())
            indexes_->noteKnownFolder(windowsPath.left(cut), folder.host, folder.written);
    } else if (windowsPath.compare(kWorkingBitmap, Qt::CaseInsensitive) == 0) {
        return roots_.cacheDir + QStringLiteral("/huevane/logopic.bmp");
    } else if (windowsPath.startsWith(kInstallPrefix, Qt::CaseInsensitive)
               && (windowsPath.size() == kInstallPrefix.size()
                   || windowsPath.at(kInstallPrefix.size()) == QLatin1Char('\\'))) {
        host = appendComponents(roots_.installDir, components(windowsPath.mid(kInstallPrefix.size())), *indexes_,
                                look);
    } else {
        return std::nullopt;
    }

    if (host && trailingSeparator) {
        *host += QLatin1Char('/');
        if (look)
            look->state = EntryLook::NotLooked;  // the slash asks for a folder
    }
    return host;
}

void PathMapper::noteListed(const QString& windowsFolder, const QStringList& names) const
{
    // Only folders of the share, whose text maps component by component.
    if (!windowsFolder.startsWith(QLatin1String("\\\\")))
        return;
    const QStringList parts = components(windowsFolder.mid(2));
    if (parts.contains(QStringLiteral(".")) || parts.contains(QStringLiteral("..")))
        return;
    QString written = roots_.uncRoot;
    for (const QString& part : parts)
        written += QLatin1Char('/') + part;
    std::lock_guard<std::mutex> lock(indexes_->mutex);
    if (indexes_->listed.size() >= 64)  // the few folders a run lists: keep the memory flat
        indexes_->listed.clear();
    indexes_->listed.insert(written, QSet<QString>(names.begin(), names.end()));
}

}  // namespace platform
