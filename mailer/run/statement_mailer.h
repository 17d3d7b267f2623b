#pragma once
#include "mailer/input/mod_brevix.h"
#include "mailer/run/statement_job.h"

#include <QString>
#include <QStringList>

namespace platform {
class FileSystem;
}

namespace run {

/// What happened to one statement file.
struct MailedStatement {
    QString file;         ///< bare name in the temp folder
    QString account;      ///< the account read from it
    QString pdfPath;      ///< the PDF in the out folder
    bool mailed = false;  ///< a request went to the in folder
    bool archived = false;
};

/// The work of a polling tick on one statement at a time: the whole job, the mail request, and
/// only then the deletion of the input files, so that a failure never loses a statement.
class StatementMailer {
public:
    StatementMailer(input::modBrevix& run, platform::FileSystem& fs);

    /// The first statement file waiting in the temp folder, in directory order; empty when none.
    /// A fresh listing every call, so files that arrive during a tick are taken in that tick.
    QString nextStatement() const;

    /// Processes the statement file `fileName` of the temp folder with its invoice details,
    /// writes its mail request unless it is not to be mailed, then deletes the input files.
    /// Errors reach the caller; the statement file stays unless the error came after its deletion.
    MailedStatement mail(const QString& fileName, const QStringList& attachments);

    /// Whether the statement file of the last call is still in the temp folder.
    bool statementWaiting() const;

private:
    input::modBrevix& run_;
    platform::FileSystem& fs_;
    StatementJob job_;
};

}  // namespace run
