#include "mailer/document/field_list.h"

#include "platform/error.h"

namespace document {

void FieldList::add(const QString& name)
{
    const QString key = name.toCaseFolded();
    if (index_.contains(key))
        return;
    index_.insert(key, Count());
    names_.push_back(name);
    values_.emplace_back();
}

int FieldList::indexOf(QStringView name) const
{
    return index_.value(name.toString().toCaseFolded(), -1);
}

int FieldList::require(QStringView name) const
{
    const int index = indexOf(name);
    if (index < 0)
        throw platform::Error(platform::Error::InvalidCall,
                              QStringLiteral("Unknown report field ") + name.toString(), QString());
    return index;
}

void FieldList::setField(std::string_view name, const std::string& value)
{
    const int index = require(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    values_[static_cast<size_t>(index)] = value;
}

const std::string& FieldList::value(QStringView name) const
{
    return values_[static_cast<size_t>(require(name))];
}

}  // namespace document
