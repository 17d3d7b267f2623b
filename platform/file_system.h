#pragma once
#include "platform/path_mapper.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace platform {

/// A file written in parts: it appears whole at commit(), and dropped before that it leaves
/// nothing behind. Failures raise platform::Error with the file's path.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual void write(const char* data, size_t size) = 0;
    virtual void commit() = 0;
};

/// The file operations of the programs, addressed by Windows path text.
/// Failures raise platform::Error with the original numbering and the path as given.
/// Abstract so that tests can inject failures.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    /// True when a file or folder exists at the path.
    virtual bool exists(const QString& path) = 0;
    /// True when an ordinary file exists at the path.
    virtual bool isFile(const QString& path) = 0;
    virtual bool isFolder(const QString& path) = 0;
    /// Bare names of the ordinary, non-hidden files of `folder` matching `pattern` ("*.txt")
    /// in any letter case, in directory order. Empty when the folder cannot be read.
    virtual QStringList list(const QString& folder, const QString& pattern) = 0;
    /// The first name `list` would give, or an empty text; stops reading the folder there.
    virtual QString firstMatch(const QString& folder, const QString& pattern)
    {
        return list(folder, pattern).value(0);
    }
    virtual std::string readFile(const QString& path) = 0;
    /// Writes the bytes and flushes them to disk before returning; replaces an existing file.
    virtual void writeFile(const QString& path, const std::string& bytes) = 0;
    virtual void remove(const QString& path) = 0;
    /// Copies a file, replacing the target. The target appears whole or not at all.
    virtual void copyReplacing(const QString& from, const QString& to) = 0;
    /// Moves a file, replacing the target. The target appears whole or not at all.
    virtual void moveReplacing(const QString& from, const QString& to) = 0;
    /// The host path of a Windows path text, for code that writes through a library of its own.
    virtual QString hostPath(const QString& path) = 0;
    /// Starts a file to be written in parts; it replaces an existing file at commit, as
    /// writeFile does. By default the parts are collected and given to writeFile at commit.
    virtual std::unique_ptr<FileWriter> startFile(const QString& path);

    /// Writes the lines, each followed by CR LF.
    void writeLines(const QString& path, const std::vector<std::string>& lines);
};

/// The machine's own file system, reached through a PathMapper.
class LocalFileSystem : public FileSystem {
public:
    explicit LocalFileSystem(PathMapper mapper) : mapper_(std::move(mapper)) {}

    bool exists(const QString& path) override;
    bool isFile(const QString& path) override;
    bool isFolder(const QString& path) override;
    QStringList list(const QString& folder, const QString& pattern) override;
    QString firstMatch(const QString& folder, const QString& pattern) override;
    std::string readFile(const QString& path) override;
    void writeFile(const QString& path, const std::string& bytes) override;
    void remove(const QString& path) override;
    void copyReplacing(const QString& from, const QString& to) override;
    void moveReplacing(const QString& from, const QString& to) override;
    QString hostPath(const QString& path) override;
    /// Writes the parts straight to a hidden temporary beside the file.
    std::unique_ptr<FileWriter> startFile(const QString& path) override;

    const PathMapper& mapper() const { return mapper_; }

private:
    /// The host path as bytes for system calls; raises "Path not found" for unmapped text.
    QByteArray host(const QString& path) const;
    QStringList scan(const QString& folder, const QString& pattern, bool firstOnly) const;

    PathMapper mapper_;
};

}  // namespace platform
