#pragma once
#include "mailer/input/report_fields.h"

#include <QHash>
#include <QString>
#include <string>
#include <vector>

namespace document {

/// A report's named fields. Names compare case-insensitively; a value is the file's bytes and
/// keeps until it is set again. A field that was never set holds no value and prints empty.
class FieldList : public input::ReportFields {
public:
    /// Adds a field without a value; adding a name again keeps the existing field.
    void add(const QString& name);
    int Count() const { return static_cast<int>(values_.size()); }
    /// The index of a field, or -1.
    int indexOf(QStringView name) const;
    /// Raises platform::Error 5 for a name that was never added.
    void setField(std::string_view name, const std::string& value) override;
    void setField(int index, const std::string& value) { values_[static_cast<size_t>(index)] = value; }
    const std::string& value(int index) const { return values_[static_cast<size_t>(index)]; }
    /// The value of a field by name; raises platform::Error 5 for an unknown name.
    const std::string& value(QStringView name) const;
    const QString& name(int index) const { return names_[static_cast<size_t>(index)]; }

    /// All values, to keep and restore around a row.
    const std::vector<std::string>& values() const { return values_; }
    void setValues(std::vector<std::string> values) { values_ = std::move(values); }

private:
    int require(QStringView name) const;

    std::vector<QString> names_;
    std::vector<std::string> values_;
    QHash<QString, int> index_;
};

}  // namespace document
