#include "mailer/handoff/store_lock.h"

#include "platform/error.h"
#include "platform/file_system.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace handoff {
namespace {

// The locked byte lies far beyond the holder's lines: a server that enforces byte-range locks
// (SMB) still lets the others read who holds the store.
constexpr off_t kLockedByte = off_t(1) << 30;

QString readAll(int fd)
{
    char text[1024];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? QString::fromUtf8(text, n) : QString();
}

}  // namespace

bool StoreLock::tryTake(platform::FileSystem& fs, const QString& lockPath)
{
    release();
    const QByteArray host = QFile::encodeName(fs.hostPath(lockPath));
    int fd = ::open(host.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    // A network client that still remembers a lock file deleted on the server answers "no such
    // file" to its creation until its cache expires (about a second).
    for (int retry = 0; fd < 0 && errno == ENOENT && retry < 15; ++retry) {
        ::usleep(100'000);
        fd = ::open(host.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    }
    if (fd < 0)
        throw errno == ENOENT ? platform::Error(platform::Error::PathNotFound, lockPath)
                              : platform::Error::fromErrno(errno, lockPath);
    // Whoever created it, the window's user and the service's user must both be able to lock it.
    ::fchmod(fd, 0666);
    // Open file description locks belong to this descriptor, not to the process: another
    // descriptor of this process on the same file cannot take them over unnoticed.
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = kLockedByte;
    request.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &request) != 0) {
        const int err = errno;
        lastText_ = readAll(fd);
        ::close(fd);
        if (err == EAGAIN || err == EACCES)
            return false;
        throw platform::Error::fromErrno(err, lockPath);
    }
    fd_ = fd;
    hostPath_ = host;
    lastText_ = readAll(fd);
    return true;
}

QString StoreLock::text()
{
    if (fd_ >= 0)
        lastText_ = readAll(fd_);
    return lastText_;
}

bool StoreLock::write(const QByteArray& text)
{
    if (fd_ < 0)
        return false;
    // Written over the old text, then cut: a reader never sees an empty file.
    return ::pwrite(fd_, text.constData(), size_t(text.size()), 0) == text.size() && ::ftruncate(fd_, text.size()) == 0;
}

bool StoreLock::lost() const
{
    if (fd_ < 0)
        return true;
    struct stat mine, now;
    if (::fstat(fd_, &mine) != 0 || mine.st_nlink == 0)
        return true;
    return ::stat(hostPath_.constData(), &now) != 0 || now.st_ino != mine.st_ino || now.st_dev != mine.st_dev;
}

void StoreLock::release()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

}  // namespace handoff
