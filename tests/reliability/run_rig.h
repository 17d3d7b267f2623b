#pragma once
#include "mailer/input/mod_brevix.h"
#include "platform/file_system.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/reliability/share_check.h"
#include "tests/support/statement_share.h"

#include <QStringList>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace reliability {

/// A temporary store share with headless runs on it through a FaultFileSystem that watches
/// every deletion of a statement file and every change to the in folder.
class RunRig {
public:
    RunRig();

    /// Drops "1.txt" ... "<count>.txt"; those in `notMailed` are marked not to be mailed.
    void drop(int count, const QSet<int>& notMailed = {});
    /// `brevix --once` on the share; returns its status.
    int once();

    /// Called before each file-system call, after the watch; may throw or change the share.
    std::function<void(FaultFileSystem::Op, const QString&)> inject;

    /// The host path of a folder of the share given relative to the store ("statements/out").
    QString storeFolder(const QString& relative) const { return share.at(share.store(relative)); }

    testing_support::StatementShare share;
    platform::LocalFileSystem local;
    FaultFileSystem fs;
    input::modBrevix run;
    std::ostringstream out, err;
    QStringList statements;
    QSet<QString> notMailed;
    /// What the watch saw going wrong: deletions without a whole PDF and request, partial requests.
    std::vector<std::string> violations;
    /// Every path a call wrote, copied or moved to, or removed.
    QStringList changed;

    ShareCheck check() const { return ShareCheck(share, statements, notMailed); }
};

}  // namespace reliability
