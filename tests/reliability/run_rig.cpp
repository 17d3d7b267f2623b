#include "tests/reliability/run_rig.h"

#include "mailer/run/headless_run.h"
#include "settings/settings_store.h"

#include <atomic>

namespace reliability {

RunRig::RunRig() : local(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})), fs(local)
{
    settings::SettingsStore store(share.at("config"));
    store.save(settings::Host, "host");
    store.save(settings::Directory, "7");
    fs.before = [this](FaultFileSystem::Op op, const QString& path) {
        if (op == FaultFileSystem::Op::Remove && path.contains(QLatin1String("\\statements\\temp\\"))) {
            const QString name = path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
            // A file already gone (the share taken away) cannot be lost by this call.
            if (share.inStore("statements/temp/" + name)) {
                const std::string problem = check().unsoundToDelete(name);
                if (!problem.empty())
                    violations.push_back(problem);
            }
        }
        if (inject)
            inject(op, path);
        if (changesDisk(op))
            changed << path;
    };
    fs.after = [this](FaultFileSystem::Op op, const QString&) {
        if (!changesDisk(op))
            return;
        const std::string problem = check().partialRequests();
        if (!problem.empty())
            violations.push_back(problem);
    };
}

void RunRig::drop(int count, const QSet<int>& notMailedNumbers)
{
    for (int i = 1; i <= count; ++i) {
        const QString name = QString::number(i) + QStringLiteral(".txt");
        const bool mailed = !notMailedNumbers.contains(i);
        share.drop(name, statementFor(QString::number(i), mailed));
        statements << name;
        if (!mailed)
            notMailed << name;
    }
}

int RunRig::once()
{
    const settings::SettingsStore store(share.at("config"));
    out.str({});
    err.str({});
    run = input::modBrevix();
    std::atomic<bool> stop{false};
    return run::runHeadless({}, run, fs, store, out, err, stop);
}

}  // namespace reliability
