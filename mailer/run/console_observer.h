#pragma once
#include "mailer/run/archive_warning.h"
#include "mailer/run/statement_observer.h"
#include "platform/journal_send.h"

#include <ostream>

namespace run {

/// A headless run's account of its statements: a line per statement filed or recovered on
/// standard output, for scripts; warnings and the error that ends the run on standard error, for
/// a person or the journal. Where the journal is the output, `journal` sends each statement's
/// line and its warning instead, with the statement's account, PDF, outcome and the PDF's SHA-256
/// (read through `fs`) as fields of their own.
class ConsoleObserver : public StatementObserver {
public:
    ConsoleObserver(std::ostream& out, std::ostream& err, platform::JournalSend journal = {},
                    platform::FileSystem* fs = nullptr)
        : out_(out), err_(err), journal_(std::move(journal)), fs_(fs)
    {
    }

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
    platform::JournalSend journal_;
    platform::FileSystem* fs_;
    ArchiveWarning archive_;
    bool anySetAside_ = false;
};

}  // namespace run
