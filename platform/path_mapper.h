#pragma once
#include <QString>
#include <optional>

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

/// Turns the Windows path text the programs build into a host path, at the moment of access.
/// Each component below a mapped root resolves case-insensitively when no entry of the exact
/// name exists; names that exist in no spelling stay as written, so new files are created as named.
class PathMapper {
public:
    explicit PathMapper(PathRoots roots) : roots_(std::move(roots)) {}

    /// The host path, or nothing when the text names no place this machine maps: a UNC path
    /// without server or share, a "." or ".." component, a drive other than the install folder
    /// and the working bitmap. A text that already is an absolute host path is returned as it is.
    std::optional<QString> toHost(const QString& windowsPath) const;

    const PathRoots& roots() const { return roots_; }

private:
    PathRoots roots_;
};

/// A path as a message names it: the Windows text, then the host path it maps to,
/// "c:\program files\torvik\logo (/usr/share/torvik/logo)". A text that maps nowhere, or that
/// already is a host path, stays as it is.
QString withHostPath(const QString& path, const PathMapper& mapper);
/// The same through the mapping of the environment, the one the programs' own file access uses.
QString withHostPath(const QString& path);

}  // namespace platform
