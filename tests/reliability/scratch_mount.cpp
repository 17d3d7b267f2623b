#include "tests/reliability/scratch_mount.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace reliability {
namespace {

bool privateNamespace = false;

}  // namespace

bool ScratchMount::enterPrivateNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return false;
    // Without this, mounts made here would still propagate to the machine's namespace.
    privateNamespace = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return privateNamespace;
}

std::unique_ptr<ScratchMount> ScratchMount::tmpfs(const QString& at, int kib)
{
    if (!privateNamespace)
        return nullptr;
    const QByteArray path = QFile::encodeName(at);
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0)
        return nullptr;
    return std::unique_ptr<ScratchMount>(new ScratchMount(path));
}

std::unique_ptr<ScratchMount> ScratchMount::readOnly(const QString& folder)
{
    if (!privateNamespace)
        return nullptr;
    const QByteArray path = QFile::encodeName(folder);
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
        return nullptr;
    std::unique_ptr<ScratchMount> mount(new ScratchMount(path));
    if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return nullptr;
    return mount;
}

ScratchMount::~ScratchMount()
{
    ::umount2(at_.constData(), MNT_DETACH);
}

QString ScratchMount::fill(const QString& folder)
{
    const QString path = folder + QStringLiteral("/filler");
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return path;
    const std::string block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    for (int n = 1; n > 0;)
        n = static_cast<int>(::write(fd, block.data(), 1));
    ::close(fd);
    return path;
}

}  // namespace reliability
