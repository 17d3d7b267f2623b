#pragma once
#include <string>
#include <string_view>

namespace input {

/// The named fields of a report, as the readers fill them. Names compare case-insensitively.
class ReportFields {
public:
    virtual ~ReportFields() = default;
    virtual void setField(std::string_view name, const std::string& value) = 0;
};

}  // namespace input
