#pragma once
#include "settings/settings_keys.h"

#include <cstdint>

namespace huevane {

/// The six working colours, named after their settings keys.
struct DocumentColours {
    int32_t ForeGroundColor = 0;
    int32_t BackGroundColor = 0;
    int32_t InvoiceShade = 0;
    int32_t ForeGroundColorSTMT = 0;
    int32_t BackGroundColorSTMT = 0;
    int32_t StmtShade = 0;

    /// What Huevane uses for keys that are missing from the store.
    static DocumentColours defaults()
    {
        namespace d = settings::huevane_default;
        return {d::ForeGroundColor, d::BackGroundColor, d::InvoiceShade,
                d::ForeGroundColorSTMT, d::BackGroundColorSTMT, d::StmtShade};
    }

    bool operator==(const DocumentColours& o) const
    {
        return ForeGroundColor == o.ForeGroundColor && BackGroundColor == o.BackGroundColor
            && InvoiceShade == o.InvoiceShade && ForeGroundColorSTMT == o.ForeGroundColorSTMT
            && BackGroundColorSTMT == o.BackGroundColorSTMT && StmtShade == o.StmtShade;
    }
};

}  // namespace huevane
