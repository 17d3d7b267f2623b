#include "tests/reliability/share_check.h"

#include <QDir>

namespace reliability {
namespace {

const QString kArchive = QStringLiteral("unc/host/tarnlnk/TVK7/STATEMENTS/0105/");

QString baseOf(const QString& name)
{
    return name.left(name.lastIndexOf(QLatin1Char('.')));
}

}  // namespace

std::string statementFor(const QString& account, bool mailed)
{
    return testing_support::statementText(account.toStdString(), {}, mailed ? std::string() : std::string("A"));
}

ShareCheck::ShareCheck(const testing_support::StatementShare& share, QStringList statements, QSet<QString> notMailed)
    : share_(share), statements_(std::move(statements)), notMailed_(std::move(notMailed))
{
}

QString ShareCheck::pdfName(const QString& name) const
{
    return baseOf(name) + QStringLiteral(".0105.PDF");
}

bool ShareCheck::wholePdf(const QString& relative) const
{
    const std::string bytes = share_.read(relative);
    const size_t eof = bytes.rfind("%%EOF");
    return bytes.rfind("%PDF-", 0) == 0 && eof != std::string::npos && bytes.size() - eof <= 7;
}

std::string ShareCheck::requestProblem(const QString& relative) const
{
    const std::string text = share_.read(relative);
    const std::string name = relative.toStdString();
    if (text == "<missing>")
        return name + ": missing";
    if (text.rfind("[EMAIL]\r\nMAILTO=", 0) != 0)
        return name + ": does not start as a request";
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        return name + ": does not end with a line end";
    const std::string key = "\r\nATTACH=statements\\out\\";
    const size_t attach = text.rfind(key);
    if (attach == std::string::npos)
        return name + ": has no ATTACH line";
    const size_t start = attach + key.size();
    const std::string pdf = text.substr(start, text.size() - 2 - start);
    if (pdf.find('|') == std::string::npos && !wholePdf(share_.store("statements/out/" + QString::fromStdString(pdf))))
        return name + ": names " + pdf + ", which is not a whole PDF in the out folder";
    return {};
}

std::string ShareCheck::unsoundToDelete(const QString& name) const
{
    const QString pdf = pdfName(name);
    if (notMailed_.contains(name)) {
        if (!wholePdf(share_.store("statements/out/" + pdf)) && !wholePdf(kArchive + pdf))
            return name.toStdString() + ": deleted without a whole PDF in the out folder or the archive";
        return {};
    }
    if (!wholePdf(share_.store("statements/out/" + pdf)))
        return name.toStdString() + ": deleted without a whole PDF in the out folder";
    const QString request = share_.store("in/STMT_" + baseOf(name) + ".TXT");
    const std::string problem = requestProblem(request);
    if (!problem.empty())
        return name.toStdString() + ": deleted, but its request " + problem;
    if (share_.read(request).find("ATTACH=statements\\out\\" + pdf.toStdString()) == std::string::npos)
        return name.toStdString() + ": deleted, but its request names another PDF";
    return {};
}

std::string ShareCheck::partialRequests() const
{
    const QDir in(share_.at(share_.store("in")));
    for (const QString& entry : in.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const std::string problem = requestProblem(share_.store("in/" + entry));
        if (!problem.empty())
            return problem;
    }
    return {};
}

std::vector<std::string> ShareCheck::problems() const
{
    std::vector<std::string> found;
    for (const QString& name : statements_) {
        if (share_.inStore("statements/temp/" + name))
            continue;
        const std::string problem = unsoundToDelete(name);
        if (!problem.empty())
            found.push_back(problem);
    }
    const std::string in = partialRequests();
    if (!in.empty())
        found.push_back(in);
    return found;
}

int ShareCheck::waiting() const
{
    int count = 0;
    for (const QString& name : statements_)
        count += share_.inStore("statements/temp/" + name) ? 1 : 0;
    return count;
}

bool ShareCheck::allDone() const
{
    return waiting() == 0 && problems().empty();
}

}  // namespace reliability
