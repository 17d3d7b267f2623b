#pragma once
#include "platform/error.h"

#include <QString>
#include <exception>

namespace run {

/// A statement that fails on its own data or name: it is left as it is and never mailed.
class StatementRefused : public std::exception {
public:
    StatementRefused(QString file, QString reason) : file_(std::move(file)), reason_(std::move(reason)) {}
    /// The statement file's path, its name as the bytes lie on disk.
    const QString& file() const { return file_; }
    const QString& reason() const { return reason_; }
    const char* what() const noexcept override { return "statement refused"; }

private:
    QString file_;
    QString reason_;
};

/// A statement without its F record, its totals: whoever writes it may not have finished. The
/// headless runs set it aside like any refused statement; the window passes it over without a
/// word, as a file still settling. Either way it is taken again once it changes.
class StatementUnfinished : public StatementRefused {
public:
    explicit StatementUnfinished(QString file)
        : StatementRefused(std::move(file),
                           QStringLiteral("it has no F record, its totals: the accounting system may still be writing it"))
    {
    }
};

/// A statement that could not be claimed (renamed) in its folder, so it was not handed off.
class ClaimFailed : public platform::Error {
public:
    explicit ClaimFailed(const platform::Error& e) : platform::Error(e) {}
};

/// The first error of a step taken for each statement of a batch, and the statement it concerned:
/// one statement's failure holds back only itself, and ends the run once the others are done.
class FirstError {
public:
    /// Keeps the exception being handled, unless an earlier one is kept.
    void keep(const QString& statement)
    {
        if (!error_) {
            error_ = std::current_exception();
            statement_ = statement;
        }
    }
    /// Raises the kept error, if any, with its statement made the run's current one.
    void rethrow(QString& currentStatement) const
    {
        if (!error_)
            return;
        currentStatement = statement_;
        std::rethrow_exception(error_);
    }

private:
    std::exception_ptr error_;
    QString statement_;
};

}  // namespace run
