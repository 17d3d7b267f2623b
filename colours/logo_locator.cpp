#include "colours/logo_locator.h"

#include "platform/file_system.h"

#include <QImageReader>
#include <algorithm>

namespace huevane {

QString LogoLocator::folder()
{
    return QStringLiteral("c:\\program files\\torvik\\");
}

std::optional<QString> LogoLocator::findCandidate(const QString& name)
{
    if (files_.isFile(folder() + name))
        return name;

    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    QStringList found;
    for (const QString& file : files_.list(folder(), name + QStringLiteral(".*"))) {
        const QString extension = file.mid(name.size() + 1);
        const bool readable = std::any_of(formats.begin(), formats.end(), [&](const QByteArray& f) {
            return extension.compare(QString::fromLatin1(f), Qt::CaseInsensitive) == 0;
        });
        if (readable)
            found << file;
    }
    if (found.isEmpty())
        return std::nullopt;
    // Directory order differs between machines; the same files should give the same logo.
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return found.front();
}

std::optional<QString> LogoLocator::find(FormType type)
{
    const bool invoice = type == FormType::Invoice;
    std::optional<QString> name = findCandidate(invoice ? QStringLiteral("logo") : QStringLiteral("stmtlogo"));
    if (std::optional<QString> wide = findCandidate(invoice ? QStringLiteral("logowide")
                                                            : QStringLiteral("stmtlogowide")))
        name = wide;
    return name;
}

}  // namespace huevane
