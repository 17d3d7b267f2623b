#pragma once
#include <QString>
#include <exception>
#include <string>

namespace platform {

/// The one error type of the programs, numbered as the operators know the original platform's
/// run-time errors, with the file it concerns when there is one.
class Error : public std::exception {
public:
    enum Number {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        TypeMismatch = 13,
        Internal = 51,
        FileNotFound = 53,
        DeviceIO = 57,
        FileAlreadyExists = 58,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        InvalidFileFormat = 321,
        KeyInUse = 457,
    };

    Error(int number, QString file = {});
    Error(int number, QString description, QString file);

    int number() const { return number_; }
    const QString& description() const { return description_; }
    /// The file or folder the error concerns, as the program named it; empty when none.
    const QString& file() const { return file_; }
    const char* what() const noexcept override { return what_.c_str(); }

    /// The standard description of an error number ("File not found" for 53).
    static QString describe(int number);
    /// The error number for a failed system call's errno.
    static int numberForErrno(int err);
    /// An error for the errno of a failed system call on `file`.
    static Error fromErrno(int err, const QString& file);

private:
    int number_;
    QString description_;
    QString file_;
    std::string what_;
};

}  // namespace platform
