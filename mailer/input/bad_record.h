#pragma once
#include <QString>
#include <exception>
#include <string>

namespace input {

/// A statement record the program cannot go on with: too short, or naming a file outside its
/// folder. It ends the program after the operator has seen the message in a box titled "Error";
/// the statement file stays where it is.
class BadRecord : public std::exception {
public:
    explicit BadRecord(std::string account) : account_(std::move(account)) {}

    /// The account named in the message, as read.
    const std::string& account() const { return account_; }
    /// "An Error has occured on Account " followed directly by the account.
    QString message() const;
    static QString title() { return QStringLiteral("Error"); }
    const char* what() const noexcept override { return "bad statement record"; }

private:
    std::string account_;
};

}  // namespace input
