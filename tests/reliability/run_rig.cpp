#include "tests/reliability/run_rig.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/run/headless_run.h"
#include "settings/settings_store.h"

#include <QDir>

#include <algorithm>
#include <atomic>
#include <thread>

namespace reliability {

using Op = FaultFileSystem::Op;

RunRig::RunRig(int settleMs, const QString& base) : share(base), local(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})), fs(local)
{
    settings::SettingsStore store(share.at("config"));
    store.save(settings::Host, "host");
    store.save(settings::Directory, "7");
    store.save(settings::SettleMs, QString::number(settleMs));
    fs.before = [this](Op op, const QString& path) {
        // Whatever the calls so far did, the in folder holds whole requests only.
        violations += partialRequests();
        const QString onDisk = path.section(QLatin1Char('\\'), -1);
        const QString claimed = handoff::parseClaim(onDisk).name;
        const QString name = claimed.isEmpty() ? onDisk : claimed;
        // A file already gone (the share taken away) cannot be lost by this call.
        if (op == Op::Remove && path.contains(QLatin1String("\\statements\\temp\\"))
            && share.inStore("statements/temp/" + onDisk))
            violations += unsoundToDelete(name);
        if (inject)
            inject(op, path);
        // A run's heartbeat, lock and delivery record are its own business, not a change to the
        // store's files.
        if (FaultFileSystem::changesDisk(op) && !path.contains(QLatin1String("\\.brevix."))
            && !path.endsWith(QLatin1String("\\brevix.lock")) && !path.contains(QLatin1String("\\history")))
            changed << path;
    };
}

void RunRig::drop(int count, const QSet<int>& notMailedNumbers)
{
    for (int i = 1; i <= count; ++i) {
        const QString name = QString::number(i) + QStringLiteral(".txt");
        const bool mailed = !notMailedNumbers.contains(i);
        share.drop(name, testing_support::statementText(std::to_string(i), {}, mailed ? "" : "A"));
        statements << name;
        if (!mailed)
            notMailed << name;
    }
}

int RunRig::watch(int ms)
{
    const settings::SettingsStore store(share.at("config"));
    out.str({});
    err.str({});
    run = input::modBrevix();
    std::atomic<bool> stop{false};
    run::HeadlessOptions options;
    options.watch = ms >= 0;
    std::thread stopper;
    if (options.watch)
        stopper = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            stop = true;
        });
    const int status = run::runHeadless(options, run, fs, store, out, err, stop);
    if (stopper.joinable())
        stopper.join();
    return status;
}

std::unique_ptr<QProcess> RunRig::start(const QStringList& arguments) const
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVIK_UNC_ROOT", share.uncRoot());
    env.insert("TORVIK_HOME", share.at("install"));
    env.insert("XDG_CONFIG_HOME", share.at("config"));
    env.insert("XDG_CACHE_HOME", share.at("cache"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(BREVIX_BINARY), QStringList{"--server", "host", "--store", "7"} + arguments);
    process->waitForStarted();
    return process;
}

void RunRig::takeRequests(QMap<QString, int>& sent) const
{
    QDir in(storeFolder("in"));
    for (const QString& name : in.entryList(QDir::Files)) {
        ++sent[name];
        in.remove(name);
    }
}

bool RunRig::wholePdf(const QString& relative) const
{
    const std::string bytes = share.read(relative);
    const size_t eof = bytes.rfind("%%EOF");
    return bytes.rfind("%PDF-", 0) == 0 && eof != std::string::npos && bytes.size() - eof <= 7;
}

std::string RunRig::requestProblem(const QString& entry) const
{
    // A whole request for account N is "STMT_N.TXT", starts as a request and ends naming N's PDF.
    const QString pdf = entry.mid(5, entry.size() - 9) + QStringLiteral(".0105.PDF");
    const std::string text = share.readStore("in/" + entry);
    const std::string end = "\r\nATTACH=statements\\out\\" + pdf.toStdString() + "\r\n";
    if (!entry.startsWith(QLatin1String("STMT_")) || !entry.endsWith(QLatin1String(".TXT"))
        || text.rfind("[EMAIL]\r\nMAILTO=", 0) != 0 || text.size() < end.size()
        || text.compare(text.size() - end.size(), end.size(), end) != 0)
        return "in/" + entry.toStdString() + ": missing or not a whole request naming " + pdf.toStdString() + "\n";
    if (!wholePdf(share.store("statements/out/" + pdf)))
        return "in/" + entry.toStdString() + ": names " + pdf.toStdString() + ", not a whole PDF in the out folder\n";
    return {};
}

std::string RunRig::partialRequests() const
{
    std::string found;
    for (const QString& entry : QDir(storeFolder("in")).entryList(QDir::Files | QDir::Hidden | QDir::System))
        found += requestProblem(entry);
    return found;
}

std::string RunRig::unsoundToDelete(const QString& name) const
{
    const QString account = name.chopped(4);
    const QString pdf = account + QStringLiteral(".0105.PDF");
    if (notMailed.contains(name)) {
        const bool filed = wholePdf(share.store("statements/out/" + pdf))
                           || wholePdf("unc/host/tarnlnk/TVK7/STATEMENTS/0105/" + pdf);
        return filed ? std::string() : name.toStdString() + ": deleted without a whole PDF in out or the archive\n";
    }
    const std::string request = requestProblem("STMT_" + account + ".TXT");
    return request.empty() ? request : name.toStdString() + ": deleted, but its request " + request;
}

bool RunRig::inTemp(const QString& name) const
{
    if (share.inStore("statements/temp/" + name))
        return true;
    const QStringList hidden = QDir(storeFolder("statements/temp")).entryList(QDir::Files | QDir::Hidden);
    return std::any_of(hidden.begin(), hidden.end(),
                       [&](const QString& entry) { return handoff::parseClaim(entry).name == name; });
}

std::string RunRig::problems() const
{
    std::string found;
    for (const QString& name : statements)
        if (!inTemp(name))
            found += unsoundToDelete(name);
    return found + partialRequests();
}

int RunRig::waiting() const
{
    return static_cast<int>(std::count_if(statements.begin(), statements.end(),
                                          [this](const QString& name) { return inTemp(name); }));
}

}  // namespace reliability
