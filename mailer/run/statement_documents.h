#pragma once
#include "mailer/handoff/handoff.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/run/statement_job.h"

namespace run {

/// The documents of a store's statements, as the hand-off asks for them: read from the file,
/// rendered into a PDF, archived.
class StatementDocuments : public handoff::Documents {
public:
    /// `settings`: the server, the store and the colours; `job` renders and archives with them.
    StatementDocuments(const input::modBrevix& settings, platform::FileSystem& fs, StatementJob& job);

    QString detailOf(const QString& statement) override;
    handoff::Filing describe(const QString& statement, const QString& file) override;
    std::shared_ptr<const std::string> render(const QString& statement, const QString& file,
                                              const QString& detailFile, const QString& staged) override;
    handoff::Archived archive(const handoff::Filing& filing, std::shared_ptr<const std::string> bytes) override;

    /// What a statement read is filed and mailed as; `statement` is its file in the temp folder.
    static handoff::Filing filingOf(const input::modBrevix& settings, const input::StatementValues& values,
                                    const QString& statement);

private:
    const input::modBrevix& settings_;
    platform::FileSystem& fs_;
    StatementJob& job_;
};

}  // namespace run
