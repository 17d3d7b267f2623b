#include "mailer/document/section.h"

#include "platform/error.h"

namespace document {

Section::Section(QString name, SectionKind kind, int height, std::vector<Control> controls,
                 QString groupField)
    : name_(std::move(name)),
      kind_(kind),
      height_(height),
      controls_(std::move(controls)),
      groupField_(std::move(groupField))
{
}

Control& Section::control(int index)
{
    if (index < 0 || index >= Count())
        throw platform::Error(platform::Error::SubscriptOutOfRange);
    return controls_[static_cast<size_t>(index)];
}

const Control& Section::control(int index) const
{
    return const_cast<Section*>(this)->control(index);
}

Control* Section::find(const QString& name)
{
    for (Control& c : controls_)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

}  // namespace document
