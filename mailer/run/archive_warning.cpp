#include "mailer/run/archive_warning.h"

namespace run {

QString ArchiveWarning::after(const QString& problem)
{
    if (problem == cause_)
        return {};
    cause_ = problem;
    if (problem.isEmpty())
        return {};
    return QStringLiteral("No archive copy: %1. The statements are filed and mailed without one, their PDFs kept in "
                          "the out folder; this is said again only after a copy was made.")
        .arg(problem);
}

}  // namespace run
