#include "platform/path_mapper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>
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

/// The name of an entry of `folder` equal to `name` but for letter case, or `name` itself.
QString matchCase(const QString& folder, const QString& name)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return name;
    QString found = name;
    while (dirent* e = ::readdir(dir)) {
        const QString candidate = QFile::decodeName(e->d_name);
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            found = candidate;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

/// Appends the components below a root, resolving letter case while the path exists.
std::optional<QString> appendComponents(QString host, const QStringList& parts)
{
    bool resolving = entryExists(host);
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return std::nullopt;
        QString name = part;
        if (resolving && !entryExists(host + QLatin1Char('/') + name)) {
            name = matchCase(host, name);
            resolving = entryExists(host + QLatin1Char('/') + name);
        }
        host += QLatin1Char('/') + name;
    }
    return host;
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

PathRoots PathRoots::fromEnvironment()
{
    PathRoots roots;
    roots.uncRoot = envOr("TORVIK_UNC_ROOT", QStringLiteral("/mnt/unc"));
    roots.installDir = envOr("TORVIK_HOME", programPrefix() + QStringLiteral("/share/torvik"));
    roots.cacheDir = envOr("XDG_CACHE_HOME", QDir::homePath() + QStringLiteral("/.cache"));
    return roots;
}

std::optional<QString> PathMapper::toHost(const QString& windowsPath) const
{
    const bool trailingSeparator = windowsPath.endsWith(QLatin1Char('\\'));
    std::optional<QString> host;

    if (windowsPath.startsWith(QLatin1Char('/'))) {
        return windowsPath;
    } else if (windowsPath.startsWith(QLatin1String("\\\\"))) {
        // Server and share must be named: "\\\parlow" has an empty server.
        const QStringList raw = windowsPath.mid(2).split(QLatin1Char('\\'));
        if (raw.size() < 2 || raw[0].isEmpty() || raw[1].isEmpty())
            return std::nullopt;
        host = appendComponents(roots_.uncRoot, components(windowsPath.mid(2)));
    } else if (windowsPath.compare(kWorkingBitmap, Qt::CaseInsensitive) == 0) {
        return roots_.cacheDir + QStringLiteral("/huevane/logopic.bmp");
    } else if (windowsPath.startsWith(kInstallPrefix, Qt::CaseInsensitive)
               && (windowsPath.size() == kInstallPrefix.size()
                   || windowsPath.at(kInstallPrefix.size()) == QLatin1Char('\\'))) {
        host = appendComponents(roots_.installDir, components(windowsPath.mid(kInstallPrefix.size())));
    } else {
        return std::nullopt;
    }

    if (host && trailingSeparator)
        *host += QLatin1Char('/');
    return host;
}

QString withHostPath(const QString& path, const PathMapper& mapper)
{
    const std::optional<QString> host = mapper.toHost(path);
    return host && *host != path ? path + QStringLiteral(" (") + *host + QLatin1Char(')') : path;
}

QString withHostPath(const QString& path)
{
    return withHostPath(path, PathMapper(PathRoots::fromEnvironment()));
}

}  // namespace platform
