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
    explicit BadRecord(std::string account, int line = 0, QString problem = {})
        : account_(std::move(account)), line_(line), problem_(std::move(problem))
    {
    }

    /// The account named in the message, as read.
    const std::string& account() const { return account_; }
    /// The 1-based number of the line that cannot be read; 0 when unknown.
    int line() const { return line_; }
    /// What is wrong with that line: "a D record of 1 field, where 10 are needed".
    const QString& problem() const { return problem_; }
    /// "An Error has occured on Account " followed directly by the account.
    QString message() const;
    /// The message, then which line of `file` (as a message names it, FileSystem::withHostPath)
    /// made it and why: "... Account 555. Line 7 of \\h\s\1.txt (/mnt/unc/h/s/1.txt) is a D
    /// record of 1 field, where 10 are needed".
    QString messageAbout(const QString& file) const;
    static QString title() { return QStringLiteral("Error"); }
    const char* what() const noexcept override { return "bad statement record"; }

private:
    std::string account_;
    int line_;
    QString problem_;
};

}  // namespace input
