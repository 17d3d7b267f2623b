#pragma once
#include "platform/operator_prompt.h"

#include <QString>
#include <deque>
#include <vector>

namespace platform {

/// An OperatorPrompt for tests: records every text and answers questions from a script
/// (No when the script is empty).
class RecordingPrompt : public OperatorPrompt {
public:
    struct Shown {
        bool question;
        QString title;
        QString text;
    };

    void message(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;

    std::vector<Shown> shown;
    std::deque<bool> answers;

    /// The texts shown, in order, for comparing word for word.
    std::vector<QString> texts() const;
};

}  // namespace platform
