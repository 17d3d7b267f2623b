#include "mailer/run/console_observer.h"

#include "mailer/run/delivery_record.h"
#include "mailer/run/statement_errors.h"
#include "mailer/run/statement_paths.h"
#include "platform/journal_stream.h"

namespace run {
namespace {

std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}

/// What failed for a statement set aside: its reader's message or the reason it is refused.
QString setAsideText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const StatementRefused& e) {
        return QStringLiteral("Set aside %1: %2. It stays in the temp folder as it is and is taken again once it "
                              "changes.").arg(e.file(), e.reason());
    } catch (...) {
        return QStringLiteral("Set aside a statement for an unknown reason.");
    }
}

}  // namespace

void ConsoleObserver::printDone(const MailedStatement& done)
{
    const QString line = done.file + QStringLiteral("\taccount ") + done.account + QLatin1Char('\t') + done.pdfPath
                         + (done.mailed ? QStringLiteral("\tmailed") : QStringLiteral("\tnot mailed"))
                         + (done.archived ? QString() : QStringLiteral("\tno archive copy"))
                         + (done.recovered ? QStringLiteral("\trecovered") : QString());
    const QString outcome = done.recovered ? QStringLiteral("recovered")
                            : done.mailed  ? QStringLiteral("mailed")
                                           : QStringLiteral("filed without mail");
    const bool sent = journal_
                      && journal_(platform::Priority::Info, line,
                                  {{"BREVIX_FILE", done.file.toStdString()},
                                   {"BREVIX_ACCOUNT", done.account.toStdString()},
                                   {"BREVIX_PDF", bareName(done.pdfPath).toStdString()},
                                   {"BREVIX_OUTCOME", outcome.toStdString()},
                                   {"BREVIX_SHA256", fs_ ? sha256OfFiled(*fs_, done).toStdString() : std::string()}});
    if (!sent)
        out_ << line << std::endl;
}

void ConsoleObserver::filed(const MailedStatement& done)
{
    printDone(done);
    if (const QString warning = archive_.after(done.archiveProblem); !warning.isEmpty())
        err_ << platform::warning << warning << std::endl;
}

void ConsoleObserver::recovered(const MailedStatement& done)
{
    // Handed off and told by the run that claimed it: one line for a statement, never two.
    if (done.handedOffBefore)
        return;
    printDone(done);
}

void ConsoleObserver::lost(const MailedStatement& done)
{
    out_ << done.file << "\taccount " << done.account << "\t" << done.pdfPath
         << "\ttaken over by another run, which finishes it" << std::endl;
}

void ConsoleObserver::setAside(const MailedStatement& done)
{
    const QString text = setAsideText(done.refused);
    if (!journal_
        || !journal_(platform::Priority::Warning, text,
                     {{"BREVIX_FILE", done.file.toStdString()}, {"BREVIX_OUTCOME", "set aside"}}))
        err_ << platform::warning << text << std::endl;
    anySetAside_ = true;
}

void ConsoleObserver::failed(const RunFailure& failure)
{
    err_ << platform::error << failure.text << std::endl;
}

}  // namespace run
