#include "platform/file_system.h"

#include "platform/error.h"
#include "platform/unix_handles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray folderOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

/// The error for a failed open of `path`: a missing folder is "Path not found", not "File not found".
Error openError(int err, const QByteArray& hostPath, const QString& path)
{
    if (err == ENOENT) {
        struct stat st;
        if (::stat(folderOf(hostPath).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Error(Error::PathNotFound, path);
    }
    return Error::fromErrno(err, path);
}

void writeAll(int fd, const char* data, size_t size, const QString& path)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error::fromErrno(errno, path);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace

/// The flushes a batch put off: the folders (with a Windows path in each, for messages) whose
/// files or entries changed since the last flush.
struct LocalFileSystem::PendingSync {
    std::mutex mutex;  // statements of a batch are written from several threads
    std::map<QByteArray, QString> folders;
};

namespace {

/// Makes the folder entry of `hostPath` durable now, or notes it for the batch's flush.
void syncFolder(const QByteArray& hostPath, const QString& path, LocalFileSystem::PendingSync* pending)
{
    if (pending) {
        std::lock_guard<std::mutex> hold(pending->mutex);
        pending->folders.emplace(folderOf(hostPath), path);
        return;
    }
    const UniqueFd dir(::open(folderOf(hostPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

qint64 mtimeOf(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QByteArray randomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, 'x');
    for (char& c : suffix)
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return suffix;
}

/// A hidden temporary beside `target`, flushed and renamed over `target` at commit.
class TempFile : public FileWriter {
public:
    /// Beside: a temporary renamed over the target. A hidden name is written in place: nobody but
    /// its writer knows it before it is whole. New: written in place, made by this writer or not
    /// at all ("File already exists").
    enum class Place { Beside, New };

    TempFile(QByteArray target, QString path, LocalFileSystem::PendingSync* pending, const PathMapper& mapper,
             Place place = Place::Beside)
        : target_(std::move(target)), path_(std::move(path)), pending_(pending), mapper_(mapper),
          new_(place == Place::New)
    {
        const QByteArray folder = folderOf(target_);
        const QByteArray base = target_.mid(target_.lastIndexOf('/') + 1);
        inPlace_ = new_ || base.startsWith('.');
        // The temporary changes the folder's time too: noted before it, the folder's name index
        // stays current through a step's files, where noted only at the rename it would be read
        // again for each of them.
        if (!inPlace_ || new_)
            mapper_.beforeCreating(target_);
        // Created with its final mode: no second call to set it.
        const int how = new_ ? O_EXCL | O_NOFOLLOW : inPlace_ ? O_TRUNC : O_EXCL;
        for (int attempt = 0; !out_.valid() && attempt < 8; ++attempt) {
            temp_ = inPlace_ ? target_ : folder + "/." + base + "." + randomSuffix();
            out_ = UniqueFd(::open(temp_.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | how, 0666));
            if (!out_.valid() && (inPlace_ || errno != EEXIST))
                break;
        }
        if (!out_.valid())
            throw openError(errno, target_, path_);
        if (new_)
            ::fstat(out_.get(), &made_);
    }
    ~TempFile() override
    {
        if (committed_)
            return;
        out_.reset();
        // A new file only while it is the one made here: a run that finished the statement
        // meanwhile may have put a whole copy in its place.
        struct stat now {};
        if (!new_ || (::lstat(temp_.constData(), &now) == 0 && now.st_dev == made_.st_dev && now.st_ino == made_.st_ino))
            ::unlink(temp_.constData());
    }

    void write(const char* data, size_t size) override { writeAll(out_.get(), data, size, path_); }

    void commit() override
    {
        if (!pending_ && ::fsync(out_.get()) != 0)
            throw Error::fromErrno(errno, path_);
        if (::close(out_.release()) != 0)
            throw Error::fromErrno(errno, path_);
        if (!inPlace_)
            mapper_.beforeCreating(target_);
        if (!inPlace_ && ::rename(temp_.constData(), target_.constData()) != 0)
            throw Error::fromErrno(errno, path_);
        committed_ = true;
        mapper_.noteCreated(target_);
        syncFolder(target_, path_, pending_);
    }

private:
    QByteArray target_;
    QString path_;
    LocalFileSystem::PendingSync* pending_;
    const PathMapper& mapper_;
    bool new_;
    bool inPlace_ = false;
    QByteArray temp_;
    UniqueFd out_;
    struct stat made_ {};
    bool committed_ = false;
};

/// Writes bytes to a hidden temporary beside `target`, flushes it (or leaves that to the batch),
/// and renames it over `target`.
void writeReplacing(const QByteArray& target, const std::string& bytes, const QString& path,
                    LocalFileSystem::PendingSync* pending, const PathMapper& mapper)
{
    TempFile file(target, path, pending, mapper);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.kind = S_ISREG(st.st_mode) ? FileStamp::Regular : S_ISLNK(st.st_mode) ? FileStamp::Link : FileStamp::Other;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
    return s;
}

/// A whole file's bytes given out a piece at a time.
class BytesReader : public FileReader {
public:
    explicit BytesReader(std::string bytes) : bytes_(std::move(bytes)) {}
    size_t read(char* buffer, size_t size) override
    {
        const size_t n = bytes_.copy(buffer, size, pos_);
        pos_ += n;
        return n;
    }

private:
    std::string bytes_;
    size_t pos_ = 0;
};

/// A file opened for reading, read as asked.
class OpenReader : public FileReader {
public:
    OpenReader(UniqueFd in, QString path) : in_(std::move(in)), path_(std::move(path)) {}
    size_t read(char* buffer, size_t size) override
    {
        for (;;) {
            const ssize_t n = ::read(in_.get(), buffer, size);
            if (n >= 0)
                return static_cast<size_t>(n);
            if (errno != EINTR)
                throw Error::fromErrno(errno, path_);
        }
    }

private:
    UniqueFd in_;
    QString path_;
};

/// Collects the parts for one writeFile at commit.
class CollectedFile : public FileWriter {
public:
    CollectedFile(FileSystem& fs, QString path) : fs_(fs), path_(std::move(path)) {}
    void write(const char* data, size_t size) override { bytes_.append(data, size); }
    void commit() override { fs_.writeFile(path_, bytes_); }

private:
    FileSystem& fs_;
    QString path_;
    std::string bytes_;
};

}  // namespace

bool FolderEntry::mapsBack() const
{
    return QFile::encodeName(name) == bytes;
}

std::unique_ptr<FileReader> FileSystem::openFile(const QString& path)
{
    return std::make_unique<BytesReader>(readFile(path));
}

std::unique_ptr<FileWriter> FileSystem::startFile(const QString& path)
{
    return std::make_unique<CollectedFile>(*this, path);
}

std::unique_ptr<FileWriter> LocalFileSystem::startFile(const QString& path)
{
    return std::make_unique<TempFile>(host(path), path, pending_.get(), mapper_);
}

void FileSystem::writeLines(const QString& path, const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    writeFile(path, bytes);
}

QByteArray LocalFileSystem::host(const QString& path) const
{
    const std::optional<QString> mapped = mapper_.toHost(path);
    if (!mapped)
        throw Error(Error::PathNotFound, path);
    return QFile::encodeName(*mapped);
}

QString LocalFileSystem::hostPath(const QString& path)
{
    return QFile::decodeName(host(path));
}

QString FileSystem::withHostPath(const QString& path)
{
    QString host;
    try {
        host = hostPath(path);
    } catch (const Error&) {
        return path;  // not a path this machine maps: the text as written says it all
    }
    return host.isEmpty() || host == path ? path : path + QStringLiteral(" (") + host + QLatin1Char(')');
}

namespace {

/// stat of a Windows path (following a link), from what its mapping saw when it can tell.
bool statPath(const PathMapper& mapper, const QString& path, struct stat& st)
{
    EntryLook look;
    const std::optional<QString> mapped = mapper.toHost(path, &look);
    if (!mapped || look.state == EntryLook::NotThere)
        return false;
    if (look.state == EntryLook::There && !S_ISLNK(look.st.st_mode)) {
        st = look.st;
        return true;
    }
    return ::stat(QFile::encodeName(*mapped).constData(), &st) == 0;
}

}  // namespace

bool LocalFileSystem::exists(const QString& path)
{
    struct stat st;
    return statPath(mapper_, path, st);
}

bool LocalFileSystem::isFile(const QString& path)
{
    struct stat st;
    return statPath(mapper_, path, st) && S_ISREG(st.st_mode);
}

bool LocalFileSystem::isFolder(const QString& path)
{
    struct stat st;
    return statPath(mapper_, path, st) && S_ISDIR(st.st_mode);
}

QStringList LocalFileSystem::list(const QString& folder, const QString& pattern)
{
    mapper_.newLook();
    return scan(folder, pattern, false);
}

QString LocalFileSystem::firstMatch(const QString& folder, const QString& pattern)
{
    mapper_.newLook();
    return scan(folder, pattern, true).value(0);
}

namespace {

/// Whether a failed look says only that there is no such entry.
bool noSuchEntry(int err)
{
    return err == ENOENT || err == ENOTDIR;
}

/// Calls `take(folderFd, bytes, name)` for each entry of the host folder whose name matches the
/// pattern in any letter case, visible or hidden ones only; stops when `take` returns false.
/// Gives the errno that kept the folder from being read whole, other than "no such folder", or 0.
template <typename Take>
int walk(const std::optional<QString>& folder, const QString& pattern, bool hidden, Take take)
{
    const UniqueDir dir = folder ? openDir(QFile::encodeName(*folder).constData()) : nullptr;
    if (!dir)
        return folder && !noSuchEntry(errno) ? errno : 0;
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern),
                                   QRegularExpression::CaseInsensitiveOption);
    for (errno = 0; dirent* e = ::readdir(dir.get()); errno = 0) {
        const QByteArray bytes(e->d_name);
        if (bytes == "." || bytes == ".." || bytes.startsWith('.') != hidden)
            continue;
        const QString name = QFile::decodeName(bytes);
        if (match.match(name).hasMatch() && !take(::dirfd(dir.get()), bytes, name))
            return 0;
    }
    return errno;
}

}  // namespace

QStringList LocalFileSystem::scan(const QString& folder, const QString& pattern, bool firstOnly) const
{
    QStringList names;
    walk(mapper_.toHost(folder), pattern, false, [&](int dir, const QByteArray& bytes, const QString& name) {
        struct stat st;
        if (::fstatat(dir, bytes.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
            return true;
        names << name;
        return !firstOnly;
    });
    return names;
}

std::vector<FolderEntry> LocalFileSystem::entries(const QString& folder, const QString& pattern, bool hidden)
{
    int failed = 0;
    return listEntries(folder, pattern, hidden, failed);
}

std::vector<FolderEntry> LocalFileSystem::entriesOrFail(const QString& folder, const QString& pattern, bool hidden)
{
    int failed = 0;
    std::vector<FolderEntry> found = listEntries(folder, pattern, hidden, failed);
    if (failed)
        throw Error::fromErrno(failed, folder);
    return found;
}

std::vector<FolderEntry> LocalFileSystem::listEntries(const QString& folder, const QString& pattern, bool hidden,
                                                      int& failed)
{
    std::vector<FolderEntry> found;
    mapper_.newLook();
    failed = 0;
    const int unread = walk(mapper_.toHost(folder), pattern, hidden, [&](int dir, const QByteArray& bytes, const QString& name) {
        struct stat st;
        if (::fstatat(dir, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            found.push_back(FolderEntry{name, bytes, stampOf(st)});
        else if (!noSuchEntry(errno))  // else gone since
            failed = errno;
        return true;
    });
    if (unread)
        failed = unread;
    if (!hidden && !failed) {
        QStringList names;
        for (const FolderEntry& entry : found)
            if (entry.mapsBack())
                names << entry.name;
        mapper_.noteListed(folder, names);
    }
    return found;
}

std::optional<FileStamp> LocalFileSystem::stamp(const QString& path)
{
    int failed = 0;
    return lookAt(path, failed);
}

std::optional<FileStamp> LocalFileSystem::stampOrFail(const QString& path)
{
    int failed = 0;
    std::optional<FileStamp> found = lookAt(path, failed);
    if (failed)
        throw Error::fromErrno(failed, path);
    return found;
}

std::optional<FileStamp> LocalFileSystem::lookAt(const QString& path, int& failed)
{
    EntryLook look;
    const std::optional<QString> mapped = mapper_.toHost(path, &look);
    failed = look.error;
    if (!mapped || look.state == EntryLook::NotThere)
        return std::nullopt;
    if (look.state == EntryLook::There)
        return stampOf(look.st);
    struct stat st;
    if (::lstat(QFile::encodeName(*mapped).constData(), &st) != 0) {
        failed = noSuchEntry(errno) ? 0 : errno;
        return std::nullopt;
    }
    return stampOf(st);
}

QByteArray LocalFileSystem::nameOnDisk(const QString& path)
{
    EntryLook look;
    look.indexWillDo = true;  // a twin another program adds within a look is seen at the next
    const std::optional<QString> mapped = mapper_.toHost(path, &look);
    if (!mapped || look.state == EntryLook::NotThere)
        return {};
    struct stat target;
    if (look.state != EntryLook::There && ::lstat(QFile::encodeName(*mapped).constData(), &target) != 0)
        return {};
    const QByteArray hostPath = QFile::encodeName(*mapped);
    const QByteArray asked = QFile::encodeName(path.section(QLatin1Char('\\'), -1));
    const QByteArray found = hostPath.mid(hostPath.lastIndexOf('/') + 1);
    if (found != asked)
        return found;  // found in another letter case
    // The exact name answered, but a file system that ignores case answers for any spelling:
    // the listing says how the name lies on disk. Read only when the file exists, which for a
    // new document is rare.
    QByteArray other;
    if (const UniqueDir dir = openDir(folderOf(hostPath).constData())) {
        const QString folded = QFile::decodeName(asked).toCaseFolded();
        while (dirent* e = ::readdir(dir.get())) {
            if (asked == e->d_name) {
                other.clear();
                break;
            }
            if (other.isEmpty() && QFile::decodeName(e->d_name).toCaseFolded() == folded)
                other = e->d_name;
        }
    }
    return other.isEmpty() ? asked : other;
}

bool LocalFileSystem::openForWriting(const QString& path)
{
    // A read lease cannot be had while anyone holds the file open for writing. Where leases are
    // not offered (network file systems, files of another owner) nothing can be told.
    const std::optional<QString> mapped = mapper_.toHost(path);
    if (!mapped)
        return false;
    const UniqueFd in(::open(QFile::encodeName(*mapped).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!in.valid())
        return false;
    if (::fcntl(in.get(), F_SETLEASE, F_RDLCK) != 0)
        return errno == EAGAIN || errno == EBUSY;
    ::fcntl(in.get(), F_SETLEASE, F_UNLCK);
    return false;
}

namespace {

/// Opens a file for reading; raises "Path/File access error" for a folder.
UniqueFd openForReading(const QByteArray& hostPath, const QString& path, struct stat& st)
{
    UniqueFd in(::open(hostPath.constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        throw openError(errno, hostPath, path);
    if (::fstat(in.get(), &st) == 0 && S_ISDIR(st.st_mode))
        throw Error(Error::PathFileAccess, path);
    return in;
}

}  // namespace

std::unique_ptr<FileReader> LocalFileSystem::openFile(const QString& path)
{
    struct stat st {};
    return std::make_unique<OpenReader>(openForReading(host(path), path, st), path);
}

std::string LocalFileSystem::readFile(const QString& path)
{
    struct stat st {};
    const UniqueFd in = openForReading(host(path), path, st);
    std::string bytes;
    // Sized once: a big statement would otherwise be held twice while the string grows.
    if (st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error::fromErrno(errno, path);
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    return bytes;
}

void LocalFileSystem::writeFile(const QString& path, const std::string& bytes)
{
    writeReplacing(host(path), bytes, path, pending_.get(), mapper_);
}

void LocalFileSystem::writeNewOrReplace(const QString& path, const std::string& bytes)
{
    const QByteArray target = host(path);
    std::optional<TempFile> file;
    try {
        file.emplace(target, path, pending_.get(), mapper_, TempFile::Place::New);
    } catch (const Error& e) {
        if (e.number() != Error::FileAlreadyExists)
            throw;
        return writeReplacing(target, bytes, path, pending_.get(), mapper_);
    }
    file->write(bytes.data(), bytes.size());
    file->commit();
}

void LocalFileSystem::remove(const QString& path)
{
    const QByteArray h = host(path);
    if (::unlink(h.constData()) != 0)
        throw openError(errno == EISDIR ? EACCES : errno, h, path);
    }

void LocalFileSystem::copyReplacing(const QString& from, const QString& to)
{
    writeReplacing(host(to), readFile(from), to, pending_.get(), mapper_);
}

void LocalFileSystem::rename(const QString& from, const QString& to)
{
    const QByteArray source = host(from);
    // A new name in the same folder is the source's folder and that name: no need to look the
    // folder through for other spellings of a name this program makes up (a claim).
    const qsizetype cut = to.lastIndexOf(QLatin1Char('\\'));
    const bool sameFolder = cut >= 0 && from.lastIndexOf(QLatin1Char('\\')) == cut && from.left(cut) == to.left(cut);
    const QByteArray target = sameFolder ? folderOf(source) + '/' + QFile::encodeName(to.mid(cut + 1)) : host(to);
    mapper_.beforeCreating(target);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        int err = errno;
        if (err == EINVAL || err == ENOSYS) {
            // File systems without RENAME_NOREPLACE (some network ones): a hard link fails on an
            // existing name just the same; without links, look first.
            if (::link(source.constData(), target.constData()) == 0) {
                ::unlink(source.constData());
                err = 0;
            } else if (errno == EEXIST) {
                err = EEXIST;
            } else {
                struct stat st;
                err = ::lstat(target.constData(), &st) == 0 ? EEXIST
                      : ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
            }
        }
        if (err != 0) {
            struct stat st;
            if (err != EEXIST && ::lstat(source.constData(), &st) != 0)
                throw openError(errno, source, from);
            throw openError(err, target, to);
        }
    }
    mapper_.noteCreated(target);
    syncFolder(target, to, pending_.get());
}

LocalFileSystem::LocalFileSystem(PathMapper mapper) : mapper_(std::move(mapper)) {}

LocalFileSystem::~LocalFileSystem() = default;

void LocalFileSystem::beginBatch()
{
    mapper_.newLook();
    if (!pending_)
        pending_ = std::make_unique<PendingSync>();
}

void LocalFileSystem::flush()
{
    if (!pending_)
        return;
    std::lock_guard<std::mutex> hold(pending_->mutex);
    // One syncfs per file system makes every file and entry of the batch durable at once, where
    // a flush per file would wait for the disk once per file.
    std::set<dev_t> synced;
    for (const auto& [folder, path] : pending_->folders) {
        const UniqueFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (!dir.valid() || ::fstat(dir.get(), &st) != 0)
            throw openError(errno, folder + "/x", path);
        if (synced.insert(st.st_dev).second && ::syncfs(dir.get()) != 0)
            throw Error::fromErrno(errno, path);
        mapper_.changesDurable(folder, mtimeOf(st));
    }
    pending_->folders.clear();
}

void LocalFileSystem::endBatch()
{
    mapper_.newLook();
    flush();
    pending_.reset();
}

void LocalFileSystem::moveReplacing(const QString& from, const QString& to)
{
    const QByteArray source = host(from);
    const QByteArray target = host(to);
    mapper_.beforeCreating(target);
    if (::rename(source.constData(), target.constData()) == 0) {
        mapper_.noteCreated(target);
        syncFolder(target, to, pending_.get());
        return;
    }
    const int err = errno;
    if (err != EXDEV) {
        // Say which side failed: a missing source is the source's error, anything else the target's.
        struct stat st;
        if (::stat(source.constData(), &st) != 0)
            throw openError(errno, source, from);
        throw openError(err, target, to);
    }
    copyReplacing(from, to);
    remove(from);
}

}  // namespace platform
