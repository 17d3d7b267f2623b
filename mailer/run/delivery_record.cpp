#include "mailer/run/delivery_record.h"

#include "mailer/run/statement_errors.h"
#include "mailer/run/statement_paths.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <QCryptographicHash>
#include <algorithm>

namespace run {
namespace {

constexpr int kFields = 12;

/// A field as one line can hold it: a tab or line end inside would split the record.
QString oneField(const QString& text)
{
    // Almost every field holds no such character: kept as it is, not copied a character at a time.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return text;
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            clean += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            clean += c;
    }
    return clean;
}

QString whyRefused(const std::exception_ptr& refused)
{
    try {
        if (refused)
            std::rethrow_exception(refused);
    } catch (const StatementRefused& e) {
        return e.reason();
    } catch (...) {
    }
    return {};
}

}  // namespace

QString DeliveryLine::text() const
{
    const QDateTime local = time.toOffsetFromUtc(time.offsetFromUtc());
    QStringList fields{local.toString(Qt::ISODateWithMs), workstation, run, statement, account, mailTo, pdf, archiveCopy,
                       sha256, request, outcome, note};
    for (QString& f : fields)
        f = oneField(f);
    return fields.join(QLatin1Char('\t'));
}

std::optional<DeliveryLine> DeliveryLine::parse(const QString& text)
{
    const QStringList f = text.split(QLatin1Char('\t'));
    if (f.size() != kFields)
        return std::nullopt;
    DeliveryLine line{QDateTime::fromString(f[0], Qt::ISODate), f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9],
                      f[10], f[11]};
    if (!line.time.isValid() || line.outcome.isEmpty())
        return std::nullopt;
    return line;
}

QString recordFileName(const QDate& day, const QString& runId)
{
    return day.toString(Qt::ISODate) + QLatin1Char('.') + runId + QStringLiteral(".txt");
}

QDate recordDay(const QString& name)
{
    return name.size() > 11 && name.at(10) == QLatin1Char('.') ? QDate::fromString(name.left(10), Qt::ISODate) : QDate();
}

DeliveryRecord::DeliveryRecord(platform::FileSystem& fs, QString folder, QString workstation, QString runId,
                               Warn warn, Clock now)
    : fs_(fs), folder_(std::move(folder)), workstation_(std::move(workstation)), runId_(std::move(runId)),
      warn_(std::move(warn)), now_(std::move(now))
{
}

DeliveryRecord::~DeliveryRecord() = default;

void DeliveryRecord::filed(const MailedStatement& done)
{
    write(done, done.mailed ? QStringLiteral("mailed") : QStringLiteral("filed without mail"), {});
}

void DeliveryRecord::recovered(const MailedStatement& done)
{
    // Handed off by a run that stopped before its line may be written: told here, at worst twice.
    QString how = done.mailed ? QStringLiteral("mailed") : QStringLiteral("filed without mail");
    if (done.handedOffBefore)
        how += QStringLiteral("; an earlier run had handed it off");
    write(done, QStringLiteral("recovered"), how);
}

void DeliveryRecord::setAside(const MailedStatement& done)
{
    write(done, QStringLiteral("set aside"), whyRefused(done.refused));
}

QString DeliveryRecord::sha256Of(const MailedStatement& done)
{
    return sha256OfFiled(fs_, done);
}

QString sha256OfFiled(platform::FileSystem& fs_, const MailedStatement& done)
{
    // The bytes as filed: the archive copy where there is one (a PDF not mailed leaves the out
    // folder once copied), else the PDF in the out folder.
    if (!done.sha256.isEmpty())
        return done.sha256;  // from the bytes the run wrote: nothing read back from the share
    const QString filed = done.archiveCopy.isEmpty() ? done.pdfPath : done.archiveCopy;
    if (filed.isEmpty())
        return {};
    try {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const std::unique_ptr<platform::FileReader> in = fs_.openFile(filed);
        char buffer[65536];
        for (size_t n; (n = in->read(buffer, sizeof buffer)) > 0;)
            hash.addData(QByteArrayView(buffer, qsizetype(n)));
        return QString::fromLatin1(hash.result().toHex());
    } catch (const platform::Error&) {
        return {};  // the line still tells what became of the statement
    }
}

void DeliveryRecord::write(const MailedStatement& done, const QString& outcome, const QString& note)
{
    const QDateTime now = now_();
    DeliveryLine line{now,
                      workstation_,
                      runId_,
                      done.file,
                      done.account,
                      done.mailTo,
                      bareName(done.pdfPath),
                      done.archiveCopy,
                      sha256Of(done),
                      bareName(done.request),
                      outcome,
                      note.isEmpty() ? done.archiveProblem : note};
    const std::string bytes = (line.text() + QLatin1Char('\n')).toStdString();
    const QString path = folder_ + QLatin1Char('\\') + recordFileName(now.date(), runId_);
    try {
        if (!file_ || fileDay_ != now.date()) {
            file_.reset();
            fs_.makeFolder(folder_);
            file_ = fs_.openToAppend(path);
            fileDay_ = now.date();
        }
        file_->append(bytes);
        problem_.clear();
    } catch (const platform::Error& e) {
        file_.reset();  // opened again for the next statement
        warnOnce(QStringLiteral("Error %1: %2 on %3").arg(e.number()).arg(e.description(), fs_.withHostPath(path)));
    }
}

void DeliveryRecord::warnOnce(const QString& cause)
{
    if (cause == problem_)
        return;
    problem_ = cause;
    if (warn_)
        warn_(QStringLiteral("No delivery record: %1. The statements are filed and mailed, but what became of them is "
                             "not written in the store's record; give this run's user write access to %2. This is "
                             "said again only after a line was written.")
                  .arg(cause, fs_.withHostPath(folder_)));
}

void DeliveryRecord::prune(int keepDays)
{
    const QDate today = now_().date();
    if (pruned_ == today || keepDays <= 0)
        return;
    pruned_ = today;
    const QDate oldest = today.addDays(-keepDays);
    for (const QString& name : fs_.list(folder_, QStringLiteral("*.txt"))) {
        const QDate day = recordDay(name);
        if (!day.isValid() || day >= oldest)
            continue;
        try {
            fs_.remove(folder_ + QLatin1Char('\\') + name);
        } catch (const platform::Error&) {
            // Another holder removes it, or the next day's pass does.
        }
    }
}

}  // namespace run
