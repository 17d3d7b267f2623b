#pragma once
#include "tests/support/statement_share.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace reliability {

/// What a store's folders must show whatever went wrong, for statements dropped as "N.txt"
/// with account N and reference 0105: a statement file is gone only when its PDF is whole
/// and, when it is mailed, a whole request naming that PDF waits in the in folder; the in
/// folder holds whole requests and nothing else.
class ShareCheck {
public:
    ShareCheck(const testing_support::StatementShare& share, QStringList statements, QSet<QString> notMailed = {});

    /// What would be wrong if the statement file `name` were deleted now; empty when nothing.
    std::string unsoundToDelete(const QString& name) const;
    /// What is wrong with the in folder now; empty when nothing.
    std::string partialRequests() const;
    /// Everything wrong with the share now, one line each.
    std::vector<std::string> problems() const;
    /// True when every statement is filed (and mailed) and its input deleted.
    bool allDone() const;
    /// The statements still waiting in the temp folder.
    int waiting() const;

private:
    QString pdfName(const QString& name) const;
    std::string requestProblem(const QString& relative) const;
    bool wholePdf(const QString& relative) const;

    const testing_support::StatementShare& share_;
    QStringList statements_;
    QSet<QString> notMailed_;
};

/// The bytes of the statement for account `account` ("N" of "N.txt").
std::string statementFor(const QString& account, bool mailed = true);

}  // namespace reliability
