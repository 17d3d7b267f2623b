#pragma once
#include "mailer/run/archive_warning.h"
#include "mailer/run/statement_observer.h"
#include "platform/service_notifier.h"

namespace run {

/// Keeps the service manager's status line in step with the statements: the day's counts, the
/// last statement, and a warning while the archive copies fail.
class ServiceObserver : public StatementObserver {
public:
    explicit ServiceObserver(platform::ServiceNotifier& notifier) : notifier_(notifier) {}

    void filed(const MailedStatement& done) override
    {
        archive_.after(done.archiveProblem);
        notifier_.archiveProblem(archive_.cause());
        notifier_.filed(done.pdfPath, done.mailed);
    }
    void setAside(const MailedStatement& done) override { notifier_.setAside(done.file); }

private:
    platform::ServiceNotifier& notifier_;
    ArchiveWarning archive_;
};

}  // namespace run
