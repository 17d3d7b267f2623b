#pragma once
#include "mailer/input/records.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace input {

/// What a statement file says of its customer and its mail, bytes exactly as read.
struct StatementValues {
    bool NoEmail = false;
    std::string AcctNo;
    std::string StmtRef;
    std::string CompanyLine;
    std::string MailTo;
    std::string MailFrom;
    std::string MailBcc;
    std::string MailSubject;
    std::string BodyFile;
    /// It had an H record.
    bool HeaderRead = false;
    /// It had its F record (its totals): without it, it is not whole yet.
    bool TotalsRead = false;
};

/// A statement file read whole, before anything is decided or drawn: its values, the report
/// fields it fills (in reading order, names from the reader's tables) and its open-item lines.
struct StatementFile {
    StatementValues values;
    std::vector<std::pair<std::string_view, std::string>> fields;
    std::unique_ptr<Details> lines;  ///< null when it has no D record
};

}  // namespace input
