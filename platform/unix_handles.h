#pragma once
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace platform {

/// A file descriptor, closed when it goes; moved, never copied.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    /// Gives the descriptor up without closing it.
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
/// A folder open for listing, closed when it goes, whatever a caller's callback throws.
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

inline UniqueDir openDir(const char* hostPath)
{
    return UniqueDir(::opendir(hostPath));
}

}  // namespace platform
