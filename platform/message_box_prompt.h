#pragma once
#include "platform/operator_prompt.h"

class QWidget;

namespace platform {

/// Operator prompts as Qt message boxes: the given title, no icon, OK alone or Yes and No with
/// No as the default, modal over `parent`.
class MessageBoxPrompt : public OperatorPrompt {
public:
    explicit MessageBoxPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;

private:
    QWidget* parent_;
};

}  // namespace platform
