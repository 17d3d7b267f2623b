// Files that grow a line at a time (the delivery record): kept open, never opened for append.
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/unix_handles.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

/// A descriptor opened O_RDWR and moved to the end once: its pieces follow each other. Not moved
/// again before each piece, which on a share asks the server for the file's size every time: the
/// file has one writer (the record's name holds its run's id).
class OpenLineFile : public LineFile {
public:
    OpenLineFile(UniqueFd fd, QString path) : fd_(std::move(fd)), path_(std::move(path))
    {
        if (::lseek(fd_.get(), 0, SEEK_END) < 0)
            throw Error::fromErrno(errno, path_);
    }
    void append(const std::string& bytes) override
    {
        const char* data = bytes.data();
        for (size_t left = bytes.size(); left > 0;) {
            const ssize_t n = ::write(fd_.get(), data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw Error::fromErrno(n < 0 ? errno : ENOSPC, path_);
            data += n;
            left -= size_t(n);
        }
    }

private:
    UniqueFd fd_;
    QString path_;
};

Error missingOr(int err, const QString& path)
{
    return err == ENOENT ? Error(Error::PathNotFound, path) : Error::fromErrno(err, path);
}

}  // namespace

std::unique_ptr<LineFile> LocalFileSystem::openToAppend(const QString& path)
{
    const QByteArray h = QFile::encodeName(hostPath(path));
    UniqueFd fd(::open(h.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!fd.valid())
        throw missingOr(errno, path);
    mapper_.noteCreated(h);
    return std::make_unique<OpenLineFile>(std::move(fd), path);
}

void LocalFileSystem::makeFolder(const QString& path)
{
    const QByteArray h = QFile::encodeName(hostPath(path));
    if (::mkdir(h.constData(), 0755) != 0 && errno != EEXIST)
        throw missingOr(errno, path);
    mapper_.noteCreated(h);
}

}  // namespace platform
