#pragma once
#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace platform {

/// Where the Windows path texts of the programs live on this machine.
struct PathRoots {
    QString uncRoot;     ///< \\host\share\rest lives at uncRoot/host/share/rest
    QString installDir;  ///< c:\program files\torvik\... lives at installDir/...
    QString cacheDir;    ///< c:\logopic.bmp lives at cacheDir/huevane/logopic.bmp

    /// TORVIK_UNC_ROOT (default /mnt/unc), TORVIK_HOME (default <prefix>/share/torvik beside
    /// the running program) and XDG_CACHE_HOME (default ~/.cache).
    static PathRoots fromEnvironment();
};

/// What mapping a path saw of the entry it names (lstat), so that a caller who asks no more than
/// that need not look again.
struct EntryLook {
    enum State { NotLooked, There, NotThere };
    State state = NotLooked;
    struct stat st {};  ///< when There
    /// When NotThere because the look itself failed (an errno other than "no such entry").
    int error = 0;
    /// Set by the caller: a name the folder's index (read or checked in this look) does not hold
    /// may be taken as not there without asking the file system. Only where being wrong for the
    /// rest of a look is harmless: never to find a file another program may have added since.
    bool indexWillDo = false;
};

/// Turns the Windows path text the programs build into a host path, at the moment of access.
/// Each component below a mapped root resolves case-insensitively when no entry of the exact
/// name exists; names that exist in no spelling stay as written, so new files are created as named.
class PathMapper {
public:
    explicit PathMapper(PathRoots roots);

    /// The host path, or nothing when the text names no place this machine maps: a UNC path
    /// without server or share, a "." or ".." component, a drive other than the install folder
    /// and the working bitmap. A text that already is an absolute host path is returned as it is.
    /// `look`, when given, learns what the mapping saw of the entry itself.
    std::optional<QString> toHost(const QString& windowsPath, EntryLook* look = nullptr) const;

    const PathRoots& roots() const { return roots_; }

    /// This program created `hostPath`. Keeps the folder's name index current within the look
    /// without reading the folder again, so creating many files in a big folder costs no more
    /// than in a small one.
    void noteCreated(const QByteArray& hostPath) const;
    /// This program is about to create `hostPath`: the first change of a step to a folder notes
    /// the folder's time, so that changesDurable() can keep its index current.
    void beforeCreating(const QByteArray& hostPath) const;
    /// This program's changes to `folder` are durable, the folder's time now `stampNow`.
    void changesDurable(const QByteArray& folder, qint64 stampNow) const;
    /// Forgets the folders resolved so far. Each look at the share (a listing, a batch) begins
    /// with it, so a folder created, renamed or given another spelling since is found again;
    /// within a look each folder is resolved, and its time asked, once: a name another program
    /// gives another spelling meanwhile is seen at the next look.
    void newLook() const;
    /// The number of the look newLook() began last.
    quint64 lookNumber() const;
    /// A listing found `names`, as they lie on disk, in the share's folder of that Windows text:
    /// paths to them are mapped without another look at the disk until the folder is listed
    /// again. A name gone since maps to a path that is not there, as it would have anyway.
    void noteListed(const QString& windowsFolder, const QStringList& names) const;

    struct FolderIndexes;

private:
    PathRoots roots_;
    /// Case-folded names per folder, read again whenever the folder changed otherwise, and the
    /// folders resolved in this look; shared by the copies of a mapper.
    std::shared_ptr<FolderIndexes> indexes_;
};

}  // namespace platform
