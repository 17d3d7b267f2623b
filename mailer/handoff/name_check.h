#pragma once
#include <QByteArray>
#include <QString>

namespace platform {
struct FolderEntry;
}

namespace handoff {

/// Why an entry of the temp or tempdet folder cannot be taken as an input file: a link, not a
/// regular file, or a name that cannot be addressed, written in Windows-1252, or stand in a
/// request's ATTACH line. Empty when it can be taken.
QString refusalOf(const platform::FolderEntry& entry);

/// The name as its bytes lie on disk, each byte outside printable ASCII (and the backslash)
/// shown as \xNN, so that an operator can find the file whatever it holds.
QString escapedName(const QByteArray& bytes);

/// True for a server name or store number that can stand in a path: letters, digits, '-', '_'
/// and '.', but never "." or ".." alone.
bool isPlainName(const QString& name);

}  // namespace handoff
