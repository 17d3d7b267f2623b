#include "platform/recording_prompt.h"

namespace platform {

void RecordingPrompt::message(const QString& text, const QString& title)
{
    shown.push_back({false, title, text});
}

bool RecordingPrompt::askYesNo(const QString& text, const QString& title)
{
    shown.push_back({true, title, text});
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::vector<QString> RecordingPrompt::texts() const
{
    std::vector<QString> out;
    for (const Shown& s : shown)
        out.push_back(s.text);
    return out;
}

}  // namespace platform
