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

using handoff::ClaimFailed;
using handoff::FirstError;

}  // namespace run
