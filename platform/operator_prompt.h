#pragma once
#include <QString>

namespace platform {

/// How the programs speak to the operator: message boxes with one OK button and Yes/No questions
/// with No as the default. Abstract so that tests can record texts and script answers.
class OperatorPrompt {
public:
    virtual ~OperatorPrompt() = default;
    virtual void message(const QString& text, const QString& title) = 0;
    /// True for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
};

}  // namespace platform
