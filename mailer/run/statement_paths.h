#pragma once
#include <QString>

// The folder layout of a store on the statement server, as Windows path text built by plain
// concatenation from the server name and the store number.
namespace run {

/// \\server\parlow\email<store>
QString storeFolder(const QString& ServerName, const QString& StoreNumber);
/// store folder + \brevix.lock: held by the one run that processes the store.
QString storeLockPath(const QString& ServerName, const QString& StoreNumber);
/// store folder + \statements\temp: where the statement files arrive.
QString tempFolder(const QString& ServerName, const QString& StoreNumber);
/// store folder + \statements\out: the PDFs and the extra attachments.
QString outFolder(const QString& ServerName, const QString& StoreNumber);
/// store folder + \in: the mail sender's folder.
QString inFolder(const QString& ServerName, const QString& StoreNumber);
/// store folder + \history: the delivery record, one file per run and day.
QString historyFolder(const QString& ServerName, const QString& StoreNumber);
/// \\server\tarnlnk\TVK<store>\STATEMENTS\<ref>\ (with its trailing backslash).
QString archiveFolder(const QString& ServerName, const QString& StoreNumber, const QString& StmtRef);

/// The invoice-detail file of a statement file: the temp folder becomes tempdet and a name
/// ending in ".txt" ends in "det.txt"; nothing else of the path changes.
QString detailPathFor(const QString& StmtPath);

/// The PDF of a statement file: in the out folder beside the temp folder, the name's ".txt"
/// extension (any letter case) replaced by "." + StmtRef + ".PDF".
QString pdfPathFor(const QString& StmtPath, const QString& StmtRef);

/// The text after the last backslash or slash.
QString bareName(const QString& path);

}  // namespace run
