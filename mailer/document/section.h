#pragma once
#include "mailer/document/control.h"

#include <QString>
#include <vector>

namespace document {

enum class SectionKind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, PageFooter, ReportFooter };

/// A band of a report design: a height and its controls in design order.
class Section {
public:
    Section(QString name, SectionKind kind, int height, std::vector<Control> controls,
            QString groupField = {});

    const QString& name() const { return name_; }
    SectionKind kind() const { return kind_; }
    int height() const { return height_; }
    /// The field a group header starts a group on.
    const QString& groupField() const { return groupField_; }

    int Count() const { return static_cast<int>(controls_.size()); }
    /// The control at an index from 0; raises platform::Error 9 outside 0 to Count - 1.
    Control& control(int index);
    const Control& control(int index) const;
    /// The control of that design name, or null.
    Control* find(const QString& name);

    const std::vector<Control>& controls() const { return controls_; }

private:
    QString name_;
    SectionKind kind_;
    int height_;
    std::vector<Control> controls_;
    QString groupField_;
};

}  // namespace document
