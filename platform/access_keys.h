#pragma once

class QWidget;

namespace platform {

/// Makes Alt with a printable key in `window` press a button or do nothing. Qt hands an access
/// key that no enabled button takes (its button greyed out, or no button has it) to the focused
/// control, where a text box would type the letter into a saved setting.
void keepAccessKeysOutOfText(QWidget& window);

}  // namespace platform
