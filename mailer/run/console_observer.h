#pragma once
#include "mailer/run/archive_warning.h"
#include "mailer/run/statement_observer.h"

#include <ostream>

namespace run {

/// A headless run's account of its statements: a line per statement filed or recovered on
/// standard output, for scripts; warnings and the error that ends the run on standard error, for
/// a person or the journal.
class ConsoleObserver : public StatementObserver {
public:
    ConsoleObserver(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    void filed(const MailedStatement& done) override;
    void recovered(const MailedStatement& done) override;
    void setAside(const MailedStatement& done) override;
    void lost(const MailedStatement& done) override;
    void failed(const RunFailure& failure) override;

    /// Whether a statement was set aside: a run once tells it by its status.
    bool anySetAside() const { return anySetAside_; }

private:
    void printDone(const MailedStatement& done);

    std::ostream& out_;
    std::ostream& err_;
    ArchiveWarning archive_;
    bool anySetAside_ = false;
};

}  // namespace run
