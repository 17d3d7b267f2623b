#pragma once
#include <QString>
#include <cstdint>
#include <string>

namespace input {

/// The run-wide values of Brevix, read and written by its windows, reports and job.
/// Mail values are bytes of the statement file, kept exactly as read.
struct modBrevix {
    QString ServerName;
    QString StoreNumber;
    // Statement colours, 0x00BBGGRR; -1 keeps the designed colour, also for a colour that was
    // never read because the settings could not be.
    int32_t StmtForeColor = -1;
    int32_t StmtBackColor = -1;
    int32_t StmtShadeColor = -1;
    QString StmtPath;
    QString DetPath;
    bool HasDetails = false;
    bool NoEmail = false;
    std::string AcctNo;
    std::string StmtRef;
    std::string CompanyLine;
    std::string MailTo;
    std::string MailFrom;
    std::string MailBcc;
    std::string MailSubject;
    std::string BodyFile;
    /// The statement just read had an H record.
    bool HeaderRead = false;
    /// The statement just read had its F record (its totals): without it, it is not whole yet.
    bool TotalsRead = false;
    int32_t HeaderCount = 0;
    /// Bare names of the extra attachments, each followed by a tab.
    QString AttachList;

    /// Forgets every value a statement file sets, so that nothing of one statement can reach
    /// the next one's PDF or mail.
    void clearStatementValues();
};

/// The program-wide values of the running Brevix.
modBrevix& runValues();

}  // namespace input
