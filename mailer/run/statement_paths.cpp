#include "mailer/run/statement_paths.h"

namespace run {
namespace {

/// Splits a path into its folder and bare name at the last separator.
void split(const QString& path, QString& folder, QString& name)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    folder = cut < 0 ? QString() : path.left(cut + 1);
    name = path.mid(cut + 1);
}

/// The folder (ending in its separator) with its last component "temp" renamed; other folders
/// are kept.
QString renameTempFolder(const QString& folder, const QString& replacement)
{
    if (folder.size() < 6)
        return folder;
    const QChar sep = folder.back();
    const qsizetype start = folder.size() - 1 - 4;
    const QChar before = folder.at(start - 1);
    if ((before != QLatin1Char('\\') && before != QLatin1Char('/'))
        || folder.mid(start, 4).compare(QLatin1String("temp"), Qt::CaseInsensitive) != 0)
        return folder;
    return folder.left(start) + replacement + sep;
}

}  // namespace

QString storeFolder(const QString& ServerName, const QString& StoreNumber)
{
    return QStringLiteral("\\\\") + ServerName + QStringLiteral("\\parlow\\email") + StoreNumber;
}

QString historyFolder(const QString& ServerName, const QString& StoreNumber)
{
    return storeFolder(ServerName, StoreNumber) + QStringLiteral("\\history");
}

QString storeLockPath(const QString& ServerName, const QString& StoreNumber)
{
    return storeFolder(ServerName, StoreNumber) + QStringLiteral("\\brevix.lock");
}

QString tempFolder(const QString& ServerName, const QString& StoreNumber)
{
    return storeFolder(ServerName, StoreNumber) + QStringLiteral("\\statements\\temp");
}

QString outFolder(const QString& ServerName, const QString& StoreNumber)
{
    return storeFolder(ServerName, StoreNumber) + QStringLiteral("\\statements\\out");
}

QString inFolder(const QString& ServerName, const QString& StoreNumber)
{
    return storeFolder(ServerName, StoreNumber) + QStringLiteral("\\in");
}

QString archiveFolder(const QString& ServerName, const QString& StoreNumber, const QString& StmtRef)
{
    return QStringLiteral("\\\\") + ServerName + QStringLiteral("\\tarnlnk\\TVK") + StoreNumber
           + QStringLiteral("\\STATEMENTS\\") + StmtRef + QLatin1Char('\\');
}

QString detailPathFor(const QString& StmtPath)
{
    QString folder, name;
    split(StmtPath, folder, name);
    if (name.endsWith(QLatin1String(".txt")))
        name = name.left(name.size() - 4) + QStringLiteral("det.txt");
    return renameTempFolder(folder, QStringLiteral("tempdet")) + name;
}

QString pdfPathFor(const QString& StmtPath, const QString& StmtRef)
{
    QString folder, name;
    split(StmtPath, folder, name);
    if (name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        name.chop(4);
    return renameTempFolder(folder, QStringLiteral("out")) + name + QLatin1Char('.') + StmtRef
           + QStringLiteral(".PDF");
}

QString bareName(const QString& path)
{
    QString folder, name;
    split(path, folder, name);
    return name;
}

}  // namespace run
