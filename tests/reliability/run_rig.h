#pragma once
#include "mailer/input/mod_brevix.h"
#include "platform/file_system.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/support/statement_share.h"

#include <QMap>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace reliability {

/// A temporary store share with headless runs on it through a FaultFileSystem that watches
/// every call. Statements are dropped as "N.txt" with account N and reference 0105; whatever
/// goes wrong, a statement file may be gone only when its PDF is whole and, when it is mailed,
/// a whole request naming that PDF waits in the in folder, and the in folder holds whole
/// requests and nothing else.
class RunRig {
public:
    /// A run takes a statement once it stood still for `settleMs`; the share is made in `base`.
    explicit RunRig(int settleMs = 0, const QString& base = QDir::tempPath());

    /// Drops "1.txt" ... "<count>.txt"; those in `notMailed` are marked not to be mailed.
    void drop(int count, const QSet<int>& notMailed = {});
    /// `brevix --once` on the share; returns its status.
    int once() { return watch(-1); }
    /// `brevix --watch` on the share, stopped after `ms`; returns its status.
    int watch(int ms);

    /// Starts the real program on the share with `arguments` after "--server host --store 7".
    std::unique_ptr<QProcess> start(const QStringList& arguments) const;

    /// A mail sender: takes every request out of the in folder, counting what it took by name.
    void takeRequests(QMap<QString, int>& sent) const;

    /// What breaks the rule above now, one line each; empty when nothing.
    std::string problems() const;
    /// Whether the statement is still in the temp folder, as it was or claimed by any run.
    bool inTemp(const QString& name) const;
    /// The statements still waiting in the temp folder, as they were or claimed.
    int waiting() const;
    bool allDone() const { return waiting() == 0 && problems().empty(); }
    /// The host path of a folder given relative to the store ("statements/out").
    QString storeFolder(const QString& relative) const { return share.at(share.store(relative)); }

    /// Called before each file-system call, after the watch; may throw or change the share.
    std::function<void(FaultFileSystem::Op, const QString&)> inject;

    testing_support::StatementShare share;
    platform::LocalFileSystem local;
    FaultFileSystem fs;
    input::modBrevix run;
    std::ostringstream out, err;
    QStringList statements;
    QSet<QString> notMailed;
    /// What the watch saw going wrong during runs, one line each.
    std::string violations;
    /// Every path a call wrote, copied or moved to, or removed.
    QStringList changed;

private:
    std::string unsoundToDelete(const QString& name) const;
    std::string partialRequests() const;
    std::string requestProblem(const QString& entry) const;
    bool wholePdf(const QString& relative) const;
};

}  // namespace reliability
