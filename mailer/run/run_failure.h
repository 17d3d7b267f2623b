#pragma once
#include <QString>
#include <exception>

namespace platform {
class FileSystem;
}

namespace run {

/// The message that ends a run, as the operator sees it.
struct RunFailure {
    QString title;
    QString text;
};

/// Where a statement stands when its run ends with an error.
enum class StatementPlace {
    InTemp,   ///< untouched in the temp folder: a later run takes it again
    Claimed,  ///< renamed to its claimed name: a later run finishes it
    Gone,     ///< handed off and deleted
};

/// Describes the error that ended the processing of `statementPath`. A bad record gives the
/// reader's own message in a box titled "Error"; any other error its number and description,
/// the file it concerns, the statement, and whether the statement file is still waiting. Files
/// on mapped Windows paths are named with their host path too.
RunFailure describeFailure(std::exception_ptr error, platform::FileSystem& fs, const QString& statementPath,
                           StatementPlace place);

inline const QString kProgramTitle = QStringLiteral("Brevix");

}  // namespace run
