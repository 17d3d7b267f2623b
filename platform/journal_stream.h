#pragma once
#include <ostream>
#include <streambuf>

namespace platform {

/// The syslog priority the journal reads from a "<N>" prefix at the start of a line.
enum class Priority { Error = 3, Warning = 4, Info = 6 };

/// An output stream over `target` that, when the file descriptor `fd` is the journal (systemd
/// names it in JOURNAL_STREAM), starts every line with its priority prefix, so that
/// `journalctl -p warning` shows what needs a person. Elsewhere it writes the text unchanged.
/// A message marked with `error`, `warning` or `info` keeps its priority over all its lines up
/// to the next flush (std::endl); then the stream's own priority applies again.
class JournalStream : public std::ostream {
public:
    JournalStream(std::ostream& target, bool journal, Priority priority);

    /// True when `fd` is the stream that JOURNAL_STREAM ("device:inode") names.
    static bool isJournal(int fd);
    /// Gives the lines that follow on `os` this priority, when `os` is a JournalStream.
    static std::ostream& setPriority(std::ostream& os, Priority priority);

private:
    class Buffer : public std::streambuf {
    public:
        Buffer(std::streambuf* target, bool journal, Priority priority)
            : target_(target), journal_(journal), default_(priority), priority_(priority)
        {
        }
        void setPriority(Priority priority) { priority_ = priority; }

    protected:
        int overflow(int c) override;
        int sync() override;

    private:
        std::streambuf* target_;
        bool journal_;
        bool lineStart_ = true;
        Priority default_;
        Priority priority_;
    };

    Buffer buffer_;
};

/// The message that follows on a JournalStream, up to the next flush: an error that ends the
/// run, something set aside or otherwise worth a look, a statement filed. Nothing elsewhere.
inline std::ostream& error(std::ostream& os) { return JournalStream::setPriority(os, Priority::Error); }
inline std::ostream& warning(std::ostream& os) { return JournalStream::setPriority(os, Priority::Warning); }
inline std::ostream& info(std::ostream& os) { return JournalStream::setPriority(os, Priority::Info); }

}  // namespace platform
