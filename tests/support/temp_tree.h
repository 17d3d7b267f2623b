#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace testing_support {

/// Where a test that makes many runs on a share keeps it: in memory where there is some. Such a
/// test checks the order of calls, not the disk, and a busy disk's journal makes each run wait.
inline QString memoryFolder()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

/// A temporary folder in which tests lay out files by relative path.
class TempTree {
public:
    TempTree() = default;
    /// In `base` rather than the temporary folder.
    explicit TempTree(const QString& base) : dir_(base + QStringLiteral("/torvik-XXXXXX")) {}
    QString path() const { return dir_.path(); }
    QString at(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }

    /// Writes a file, creating its folders.
    void write(const QString& relative, const std::string& bytes = {}) const
    {
        const QString full = at(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void mkdir(const QString& relative) const { QDir().mkpath(at(relative)); }
    std::string read(const QString& relative) const
    {
        QFile f(at(relative));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll().toStdString();
    }
    bool exists(const QString& relative) const { return QFileInfo::exists(at(relative)); }

private:
    QTemporaryDir dir_;
};

}  // namespace testing_support
