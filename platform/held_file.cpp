#include "platform/held_file.h"

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

// The locked byte lies far beyond the holder's lines: a server that enforces byte-range locks
// (SMB) still lets the others read who holds the file.
constexpr off_t kLockedByte = off_t(1) << 30;

QString readAll(int fd)
{
    char text[1024];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? QString::fromUtf8(text, n) : QString();
}

class LockedFile : public HeldFile {
public:
    LockedFile(UniqueFd fd, QByteArray hostPath) : fd_(std::move(fd)), hostPath_(std::move(hostPath)) {}
    QString text() override { return readAll(fd_.get()); }
    bool write(const QByteArray& text) override
    {
        // Written over the old text, then cut: a reader never sees an empty file.
        return ::pwrite(fd_.get(), text.constData(), size_t(text.size()), 0) == text.size()
               && ::ftruncate(fd_.get(), text.size()) == 0;
    }
    bool lost() override
    {
        struct stat mine, now;
        if (::fstat(fd_.get(), &mine) != 0 || mine.st_nlink == 0)
            return true;
        return ::stat(hostPath_.constData(), &now) != 0 || now.st_ino != mine.st_ino || now.st_dev != mine.st_dev;
    }

private:
    UniqueFd fd_;
    QByteArray hostPath_;
};

}  // namespace

std::unique_ptr<HeldFile> FileSystem::holdFile(const QString& path, QString& heldBy)
{
    const QByteArray host = QFile::encodeName(hostPath(path));
    UniqueFd fd(::open(host.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    // A network client that still remembers a file deleted on the server answers "no such file"
    // to its creation until its cache expires (about a second).
    for (int retry = 0; !fd.valid() && errno == ENOENT && retry < 15; ++retry) {
        ::usleep(100'000);
        fd = UniqueFd(::open(host.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    }
    if (!fd.valid())
        throw errno == ENOENT ? Error(Error::PathNotFound, path) : Error::fromErrno(errno, path);
    // Whoever created it, the window's user and the service's user must both be able to lock it.
    ::fchmod(fd.get(), 0666);
    // Open file description locks belong to this descriptor, not to the process: another
    // descriptor of this process on the same file cannot take them over unnoticed.
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = kLockedByte;
    request.l_len = 1;
    if (::fcntl(fd.get(), F_OFD_SETLK, &request) != 0) {
        const int err = errno;
        heldBy = readAll(fd.get());
        if (err == EAGAIN || err == EACCES)
            return nullptr;
        throw Error::fromErrno(err, path);
    }
    return std::make_unique<LockedFile>(std::move(fd), host);
}

}  // namespace platform
