#include "mailer/input/mod_brevix.h"

namespace input {

void modBrevix::clearStatementValues()
{
    AcctNo.clear();
    StmtRef.clear();
    CompanyLine.clear();
    MailTo.clear();
    MailFrom.clear();
    MailBcc.clear();
    MailSubject.clear();
    BodyFile.clear();
    NoEmail = false;
    HeaderRead = false;
    TotalsRead = false;
}

modBrevix& runValues()
{
    static modBrevix values;
    return values;
}

}  // namespace input
