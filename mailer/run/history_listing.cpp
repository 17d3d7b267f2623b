#include "mailer/run/history_listing.h"

#include "mailer/run/delivery_record.h"
#include "mailer/run/startup_settings.h"
#include "mailer/run/statement_paths.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <QMap>

#include <algorithm>
#include <vector>

namespace run {
namespace {

std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}

struct Found {
    DeliveryLine line;
    QString text;
};

/// The whole lines of one record file that the query asks for; warns of what is not whole.
void readRecordFile(platform::FileSystem& fs, const QString& path, const HistoryQuery& query, std::vector<Found>& found,
                    std::ostream& err)
{
    std::string bytes;
    try {
        bytes = fs.readFile(path);
    } catch (const platform::Error& e) {
        err << "Warning: the delivery record " << fs.withHostPath(path) << " cannot be read (Error " << e.number()
            << ": " << e.description() << "); it is left out.\n";
        return;
    }
    const size_t end = bytes.rfind('\n');
    const bool cut = end == std::string::npos ? !bytes.empty() : end + 1 < bytes.size();
    int damaged = 0;
    int firstDamaged = 0;
    int number = 0;
    for (size_t start = 0; end != std::string::npos && start <= end;) {
        const size_t stop = bytes.find('\n', start);
        const QString text = QString::fromUtf8(bytes.data() + start, qsizetype(stop - start));
        start = stop + 1;
        ++number;
        const std::optional<DeliveryLine> line = DeliveryLine::parse(text);
        if (!line) {
            firstDamaged = firstDamaged ? firstDamaged : number;
            ++damaged;
            continue;
        }
        if ((query.account.isEmpty() || line->account == query.account)
            && (!query.since.isValid() || line->time.date() >= query.since))
            found.push_back({*line, text});
    }
    if (cut)
        err << "Warning: the delivery record " << fs.withHostPath(path)
            << " ends in a half-written line (its run was stopped while writing it?); it is read up to its last "
               "whole line.\n";
    if (damaged)
        err << "Warning: the delivery record " << fs.withHostPath(path) << " holds " << damaged << " damaged line"
            << (damaged == 1 ? "" : "s") << " (the first is line " << firstDamaged << "); "
            << (damaged == 1 ? "it is" : "they are") << " left out.\n";
}

}  // namespace

int listHistory(platform::FileSystem& fs, const QString& folder, const HistoryQuery& query, std::ostream& out,
                std::ostream& err)
{
    if (!fs.isFolder(folder)) {
        err << "No delivery record in " << fs.withHostPath(folder)
            << ": no statement has been filed there since the record began, or the share is not mounted.\n";
        return 1;
    }
    // A day at a time, newest first, so that years of record need the memory of one day.
    QMap<QDate, QStringList> days;
    for (const QString& name : fs.list(folder, QStringLiteral("*.txt"))) {
        const QDate day = recordDay(name);
        if (day.isValid() && (!query.since.isValid() || day >= query.since.addDays(-1)))
            days[day] << name;
    }
    for (auto day = days.constEnd(); day != days.constBegin();) {
        --day;
        std::vector<Found> found;
        for (const QString& name : *day)
            readRecordFile(fs, folder + QLatin1Char('\\') + name, query, found, err);
        std::reverse(found.begin(), found.end());  // later lines of a file first among equal times
        std::stable_sort(found.begin(), found.end(),
                         [](const Found& a, const Found& b) { return a.line.time > b.line.time; });
        for (const Found& f : found)
            out << f.text << '\n';
    }
    out.flush();
    return 0;
}

int showHistory(const HeadlessOptions& options, const HistoryQuery& query, input::modBrevix& run,
                platform::FileSystem& fs, const settings::SettingsStore& store, std::ostream& out, std::ostream& err)
{
    readConnection(store, run);
    if (const QString unset = options.server ? QString() : serverNotSet(store); !unset.isEmpty()) {
        err << unset << std::endl;
        return 1;
    }
    run.ServerName = options.server.value_or(run.ServerName);
    run.StoreNumber = options.store.value_or(run.StoreNumber);
    if (const QString problem = connectionProblem(run); !problem.isEmpty()) {
        err << problem << std::endl;
        return 1;
    }
    return listHistory(fs, historyFolder(run.ServerName, run.StoreNumber), query, out, err);
}

}  // namespace run
