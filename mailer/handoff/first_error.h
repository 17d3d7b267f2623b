#pragma once
#include "platform/error.h"

#include <QString>
#include <exception>

namespace handoff {

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
    bool any() const { return error_ != nullptr; }
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

}  // namespace handoff
