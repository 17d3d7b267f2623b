#include "platform/error.h"

#include <cerrno>

namespace platform {

Error::Error(int number, QString file) : Error(number, describe(number), std::move(file)) {}

Error::Error(int number, QString description, QString file)
    : number_(number), description_(std::move(description)), file_(std::move(file))
{
    QString text = QStringLiteral("Error %1: %2").arg(number_).arg(description_);
    if (!file_.isEmpty())
        text += QStringLiteral(" (") + file_ + QLatin1Char(')');
    what_ = text.toStdString();
}

QString Error::describe(int number)
{
    switch (number) {
    case InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case Overflow: return QStringLiteral("Overflow");
    case OutOfMemory: return QStringLiteral("Out of memory");
    case SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case TypeMismatch: return QStringLiteral("Type mismatch");
    case Internal: return QStringLiteral("Internal error");
    case FileNotFound: return QStringLiteral("File not found");
    case DeviceIO: return QStringLiteral("Device I/O error");
    case FileAlreadyExists: return QStringLiteral("File already exists");
    case DiskFull: return QStringLiteral("Disk full");
    case PermissionDenied: return QStringLiteral("Permission denied");
    case PathFileAccess: return QStringLiteral("Path/File access error");
    case PathNotFound: return QStringLiteral("Path not found");
    case InvalidFileFormat: return QStringLiteral("Invalid file format");
    case KeyInUse: return QStringLiteral("This key is already associated with an element of this collection");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

int Error::numberForErrno(int err)
{
    switch (err) {
    case ENOENT: return FileNotFound;
    case ENOTDIR: return PathNotFound;
    case EACCES:
    case EPERM:
    case ETXTBSY: return PermissionDenied;
    case EROFS: return PathFileAccess;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return DiskFull;
    case EIO: return DeviceIO;
    case EEXIST: return FileAlreadyExists;
    default: return PathFileAccess;
    }
}

Error Error::fromErrno(int err, const QString& file)
{
    // "Permission denied" would send an administrator after the file modes instead of the mount.
    if (err == EROFS)
        return Error(PathFileAccess, QStringLiteral("Read-only file system"), file);
    return Error(numberForErrno(err), file);
}

}  // namespace platform
