#pragma once
#include <QString>
#include <cstdint>

namespace input {

/// The run-wide settings of Brevix: the store it serves, the colours of its documents and the
/// extra attachments. Read-only while statements are mailed, so workers share them; what a
/// statement says is in its own StatementValues.
struct modBrevix {
    QString ServerName;
    QString StoreNumber;
    // Statement colours, 0x00BBGGRR; -1 keeps the designed colour, also for a colour that was
    // never read because the settings could not be.
    int32_t StmtForeColor = -1;
    int32_t StmtBackColor = -1;
    int32_t StmtShadeColor = -1;
    /// Bare names of the extra attachments, each followed by a tab.
    QString AttachList;
};

/// The program-wide values of the running Brevix.
modBrevix& runValues();

}  // namespace input
