#include "mailer/run/archive_warning.h"

namespace run {

QString ArchiveWarning::after(const QString& problem)
{
    if (problem == cause_)
        return {};
    cause_ = problem;
    if (problem.isEmpty())
        return {};
    const bool ends = problem.endsWith(QLatin1Char('?')) || problem.endsWith(QLatin1Char('.'));
    return QStringLiteral("No archive copy: %1%2 The statements are filed and mailed without one, their PDFs kept in "
                          "the out folder; this is said again only after a copy was made.")
        .arg(problem, ends ? QString() : QStringLiteral("."));
}

}  // namespace run
