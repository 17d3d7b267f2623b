#include "platform/journal_send.h"

#include <systemd/sd-journal.h>
#include <sys/uio.h>
#include <unistd.h>

namespace platform {

JournalSend systemJournal()
{
    return [](Priority priority, const QString& message, const JournalFields& fields) -> bool {
        // sd_journal_send drops a message in silence where no journal listens.
        if (::access("/run/systemd/journal/socket", W_OK) != 0)
            return false;
        std::vector<std::string> items{"MESSAGE=" + message.toStdString(),
                                       "PRIORITY=" + std::to_string(static_cast<int>(priority)),
                                       "SYSLOG_IDENTIFIER=brevix"};
        for (const auto& [name, value] : fields)
            items.push_back(name + "=" + value);
        std::vector<iovec> iov;
        for (std::string& item : items)
            iov.push_back({item.data(), item.size()});
        return sd_journal_sendv(iov.data(), int(iov.size())) >= 0;
    };
}

}  // namespace platform
