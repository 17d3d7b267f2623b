#include "platform/journal_stream.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

JournalStream::JournalStream(std::ostream& target, bool journal, Priority priority)
    : std::ostream(nullptr), buffer_(target.rdbuf(), journal, priority)
{
    rdbuf(&buffer_);
}

bool JournalStream::isJournal(int fd)
{
    const char* names = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0, inode = 0;
    if (!names || std::sscanf(names, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat st;
    return ::fstat(fd, &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

std::ostream& JournalStream::setPriority(std::ostream& os, Priority priority)
{
    if (auto* buffer = dynamic_cast<Buffer*>(os.rdbuf()))
        buffer->setPriority(priority);
    return os;
}

int JournalStream::Buffer::overflow(int c)
{
    if (c == traits_type::eof())
        return traits_type::not_eof(c);
    if (journal_ && lineStart_) {
        const char prefix[] = {'<', static_cast<char>('0' + static_cast<int>(priority_)), '>'};
        if (target_->sputn(prefix, 3) != 3)
            return traits_type::eof();
    }
    lineStart_ = c == '\n';
    return target_->sputc(static_cast<char>(c));
}

int JournalStream::Buffer::sync()
{
    priority_ = default_;
    return target_->pubsync();
}

}  // namespace platform
