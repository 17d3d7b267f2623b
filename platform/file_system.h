#pragma once
#include "platform/held_file.h"
#include "platform/path_mapper.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/// What a folder entry is and how it stands now, as lstat sees it: a symbolic link is a link,
/// never what it points to. Two equal stamps mean the file was not written in between.
struct FileStamp {
    enum Kind { Regular, Link, Other };
    Kind kind = Other;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp& o) const
    {
        return kind == o.kind && size == o.size && mtimeNs == o.mtimeNs && inode == o.inode;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

/// One entry of a folder listing, with its name as the bytes on disk.
struct FolderEntry {
    QString name;      ///< decoded for display and matching
    QByteArray bytes;  ///< the name on disk
    FileStamp stamp;
    /// The decoded name leads back to these bytes, so it can be used to address the file.
    bool mapsBack() const;
};

/// A file written in parts: it appears whole at commit(), and dropped before that it leaves
/// nothing behind. Failures raise platform::Error with the file's path.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual void write(const char* data, size_t size) = 0;
    virtual void commit() = 0;
};

/// A file read a piece at a time. Failures raise platform::Error with the file's path.
class FileReader {
public:
    virtual ~FileReader() = default;
    /// Puts up to `size` next bytes into `buffer` and says how many; 0 at the end.
    virtual size_t read(char* buffer, size_t size) = 0;
};

/// A file kept open to take one piece after another at its end. Failures raise platform::Error
/// with the file's path.
class LineFile {
public:
    virtual ~LineFile() = default;
    /// Writes the bytes at the end of the file.
    virtual void append(const std::string& bytes) = 0;
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
    /// The entries of `folder` whose names match `pattern` in any letter case, in directory order:
    /// the visible ones of every kind (links and folders too, so that they can be reported), or
    /// only the hidden ones. Empty when the folder cannot be read.
    virtual std::vector<FolderEntry> entries(const QString& folder, const QString& pattern, bool hidden) = 0;
    /// How the entry at the path stands now, without following a link; nothing when there is none.
    virtual std::optional<FileStamp> stamp(const QString& path) = 0;
    /// The same where a file's absence decides what becomes of a statement: nothing only when the
    /// file system says there is no such entry; raises when it cannot say (an I/O error, a
    /// permission, a looping link). A failed look is never taken as "gone".
    virtual std::optional<FileStamp> stampOrFail(const QString& path) { return stamp(path); }
    /// entries() where what is missing from the listing decides: empty only for a folder that is
    /// not there; raises when the folder cannot be read whole.
    virtual std::vector<FolderEntry> entriesOrFail(const QString& folder, const QString& pattern, bool hidden)
    {
        return entries(folder, pattern, hidden);
    }
    /// The name, as its bytes lie on disk, of the entry that a file created at the path would
    /// replace: the path's own name, or one that differs from it only in letter case where the
    /// path is found in any case or the file system ignores case. Empty when there is none.
    virtual QByteArray nameOnDisk(const QString& path) = 0;
    /// True when another process is known to hold the file open for writing. Only some file
    /// systems can tell; where they cannot, false.
    virtual bool openForWriting(const QString&) { return false; }
    virtual std::string readFile(const QString& path) = 0;
    /// Opens a file to be read a piece at a time, so that a file of any size is read in little
    /// memory; raises what readFile raises on opening. By default the whole file is read at once.
    virtual std::unique_ptr<FileReader> openFile(const QString& path);
    /// Writes the bytes and flushes them to disk before returning; replaces an existing file.
    virtual void writeFile(const QString& path, const std::string& bytes) = 0;
    /// writeFile for a file that nothing reads before a later step of its writer shows it whole
    /// (an archive copy, before its statement is handed off): written in place where no entry has
    /// its name, which spares a share the temporary's rename; an existing file is replaced in one
    /// step as by writeFile. A write that fails removes the file it made.
    virtual void writeNewOrReplace(const QString& path, const std::string& bytes) { writeFile(path, bytes); }
    virtual void remove(const QString& path) = 0;
    /// Copies a file, replacing the target. The target appears whole or not at all.
    virtual void copyReplacing(const QString& from, const QString& to) = 0;
    /// Moves a file, replacing the target. The target appears whole or not at all.
    virtual void moveReplacing(const QString& from, const QString& to) = 0;
    /// Renames a file inside its folder, never replacing an entry of the new name ("File already
    /// exists"), and makes the rename durable before returning.
    virtual void rename(const QString& from, const QString& to) = 0;
    /// The host path of a Windows path text, for code that writes through a library of its own.
    virtual QString hostPath(const QString& path) = 0;
    /// A path as a message names it: the Windows text, then the host path it maps to where that
    /// differs, "c:\program files\torvik\logo (/usr/share/torvik/logo)". A text that maps
    /// nowhere, or already is a host path, stays as it is.
    QString withHostPath(const QString& path);
    /// Starts a file to be written in parts; it replaces an existing file at commit, as
    /// writeFile does. By default the parts are collected and given to writeFile at commit.
    virtual std::unique_ptr<FileWriter> startFile(const QString& path);

    /// Opens a file, made when missing, to add to its end: its only writer while it is open.
    virtual std::unique_ptr<LineFile> openToAppend(const QString& path) = 0;
    /// Makes the folder unless it exists; its parent must exist.
    virtual void makeFolder(const QString& path) = 0;

    /// From here on writes, copies and renames leave their flush to disk to flush(), so that many
    /// files are made durable together. What a batch writes is whole on disk as before; only its
    /// surviving a power failure waits for the flush.
    virtual void beginBatch() {}
    /// Makes everything written, copied or renamed since the batch began durable; raises the error
    /// of the first folder that cannot be.
    virtual void flush() {}
    /// Flushes and ends the batch.
    virtual void endBatch() {}
    /// Whether several threads may call it at once, but for the listings and the batch calls,
    /// which only one thread makes while no other calls.
    virtual bool concurrent() const { return false; }
    /// The number of the present look at the share: each listing and each batch begins a new one.
    /// What a look found may serve the rest of it (a logo is looked for once); 0 where a file
    /// system counts none, and everything is asked every time.
    virtual quint64 look() const { return 0; }

    /// Holds the file at the path (created when missing) under a lock that dies with this process;
    /// nothing when another holder has it, and `heldBy` then says what the file holds. Raises
    /// platform::Error when the file cannot be created or opened.
    virtual std::unique_ptr<HeldFile> holdFile(const QString& path, QString& heldBy);

    /// Writes the lines, each followed by CR LF.
    void writeLines(const QString& path, const std::vector<std::string>& lines);
};

/// The machine's own file system, reached through a PathMapper.
class LocalFileSystem : public FileSystem {
public:
    explicit LocalFileSystem(PathMapper mapper);
    ~LocalFileSystem() override;

    bool exists(const QString& path) override;
    bool isFile(const QString& path) override;
    bool isFolder(const QString& path) override;
    QStringList list(const QString& folder, const QString& pattern) override;
    QString firstMatch(const QString& folder, const QString& pattern) override;
    std::vector<FolderEntry> entries(const QString& folder, const QString& pattern, bool hidden) override;
    std::optional<FileStamp> stamp(const QString& path) override;
    std::optional<FileStamp> stampOrFail(const QString& path) override;
    std::vector<FolderEntry> entriesOrFail(const QString& folder, const QString& pattern, bool hidden) override;
    QByteArray nameOnDisk(const QString& path) override;
    bool openForWriting(const QString& path) override;
    std::string readFile(const QString& path) override;
    std::unique_ptr<FileReader> openFile(const QString& path) override;
    void writeFile(const QString& path, const std::string& bytes) override;
    void writeNewOrReplace(const QString& path, const std::string& bytes) override;
    void remove(const QString& path) override;
    void copyReplacing(const QString& from, const QString& to) override;
    void moveReplacing(const QString& from, const QString& to) override;
    void rename(const QString& from, const QString& to) override;
    QString hostPath(const QString& path) override;
    void beginBatch() override;
    void flush() override;
    void endBatch() override;
    bool concurrent() const override { return true; }
    quint64 look() const override { return mapper_.lookNumber(); }
    /// Writes the parts straight to a hidden temporary beside the file.
    std::unique_ptr<FileWriter> startFile(const QString& path) override;
    /// Keeps the file open for reading and writing and writes at its end: through smbnetfs an
    /// open for append, or for writing without truncating, fails (in record_file.cpp).
    std::unique_ptr<LineFile> openToAppend(const QString& path) override;
    void makeFolder(const QString& path) override;

    const PathMapper& mapper() const { return mapper_; }

private:
    /// The host path as bytes for system calls; raises "Path not found" for unmapped text.
    QByteArray host(const QString& path) const;
    QStringList scan(const QString& folder, const QString& pattern, bool firstOnly) const;
    /// entries() and stamp(), with the errno of a failed look in `failed` (0 for none).
    std::vector<FolderEntry> listEntries(const QString& folder, const QString& pattern, bool hidden, int& failed);
    std::optional<FileStamp> lookAt(const QString& path, int& failed);

    PathMapper mapper_;

public:
    struct PendingSync;

private:
    std::unique_ptr<PendingSync> pending_;
};

}  // namespace platform
