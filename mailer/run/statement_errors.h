#pragma once
#include "mailer/handoff/first_error.h"
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

using handoff::ClaimFailed;
using handoff::FirstError;

}  // namespace run
