#pragma once
#include "platform/journal_stream.h"

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

/// Journal fields of a message beyond its text and priority: ("BREVIX_ACCOUNT", "10234").
using JournalFields = std::vector<std::pair<std::string, std::string>>;

/// Sends one message to the journal with fields of its own, which the standard-output stream
/// cannot carry; false when it could not, and the caller writes it to its stream instead. A
/// parameter of the runs, so that tests see what is sent; empty where the journal is not the
/// output.
using JournalSend = std::function<bool(Priority, const QString& message, const JournalFields& fields)>;

/// sd_journal_send, with the program's SYSLOG_IDENTIFIER; false where no journal listens.
JournalSend systemJournal();

}  // namespace platform
