#include "mailer/handoff/store_lock.h"

#include "platform/error.h"
#include "platform/file_system.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace handoff {
namespace {

// The locked byte lies far beyond the holder's line: a server that enforces byte-range locks
// (SMB) still lets the others read who holds the store.
constexpr off_t kLockedByte = off_t(1) << 30;

struct flock lockRequest(short type)
{
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = kLockedByte;
    request.l_len = 1;
    return request;
}

QString readHolder(int fd)
{
    char text[512];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    const QString holder = n > 0 ? QString::fromUtf8(text, n).trimmed() : QString();
    return holder.isEmpty() ? QStringLiteral("another run") : holder;
}

}  // namespace

bool StoreLock::tryTake(platform::FileSystem& fs, const QString& lockPath, const QString& holder)
{
    release();
    const QByteArray host = QFile::encodeName(fs.hostPath(lockPath));
    const int fd = ::open(host.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        throw errno == ENOENT ? platform::Error(platform::Error::PathNotFound, lockPath)
                              : platform::Error::fromErrno(errno, lockPath);
    // Whoever created it, the window's user and the service's user must both be able to lock it.
    ::fchmod(fd, 0666);
    // Open file description locks belong to this descriptor, not to the process: another
    // descriptor of this process on the same file cannot take them over unnoticed.
    struct flock request = lockRequest(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &request) != 0) {
        const int err = errno;
        holder_ = readHolder(fd);
        ::close(fd);
        if (err == EAGAIN || err == EACCES)
            return false;
        throw platform::Error::fromErrno(err, lockPath);
    }
    fd_ = fd;
    holder_ = holder + QStringLiteral(", process %1 on %2, since %3")
                           .arg(::getpid())
                           .arg(QSysInfo::machineHostName(),
                                QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    const QByteArray line = holder_.toUtf8() + '\n';
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, line.constData(), size_t(line.size()), 0) != line.size()) {
        // The lock holds without the holder's line; the others then say "another run".
    }
    return true;
}

void StoreLock::release()
{
    if (fd_ < 0)
        return;
    ::ftruncate(fd_, 0);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace handoff
