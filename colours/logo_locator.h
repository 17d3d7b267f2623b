#pragma once
#include "colours/colour_selection.h"

#include <QString>
#include <optional>

namespace platform {
class FileSystem;
}

namespace huevane {

/// Finds the logo of a form type in the install folder. Each form type has two candidates, the
/// second ("logowide", "stmtlogowide") winning when both exist. A candidate is found by its name
/// as it stands or with the extension of a picture format that Qt reads ("logo.png"); among
/// several such files the name that sorts first is taken.
class LogoLocator {
public:
    explicit LogoLocator(platform::FileSystem& files) : files_(files) {}

    /// The install folder, as Windows path text with its trailing backslash.
    static QString folder();

    /// The logo's file name within the install folder, or nothing when no candidate exists.
    std::optional<QString> find(FormType type);

private:
    std::optional<QString> findCandidate(const QString& name);

    platform::FileSystem& files_;
};

}  // namespace huevane
