#include "mailer/run/run_failure.h"

#include "mailer/input/bad_record.h"
#include "mailer/run/statement_errors.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <new>

namespace run {
namespace {

QString whereTheStatementIs(StatementPlace place)
{
    switch (place) {
    case StatementPlace::InTemp:
        return QStringLiteral("\nThe statement file is still in the temp folder and will be processed again when "
                              "Brevix is started after the cause is mended.");
    case StatementPlace::Claimed:
        return QStringLiteral("\nThe statement is claimed (a hidden .claimed file in the temp folder): Brevix "
                              "finishes it, without mailing it twice, when it is started after the cause is mended.");
    case StatementPlace::Gone:
        break;
    }
    return QStringLiteral("\nThe statement file is no longer in the temp folder.");
}

}  // namespace

RunFailure describeFailure(std::exception_ptr error, platform::FileSystem& fs, const QString& statementPath,
                           StatementPlace place)
{
    int number = 51;
    QString description = QStringLiteral("Internal error");
    QString file;
    bool claimFailed = false;
    try {
        std::rethrow_exception(error);
    } catch (const input::BadRecord& e) {
        return {input::BadRecord::title(), e.message()};
    } catch (const StatementRefused& e) {
        return {kProgramTitle, QStringLiteral("The statement %1 cannot be taken: %2.\nIt stays in the temp folder as "
                                              "it is; mend or remove it, then start Brevix again.")
                                   .arg(e.file(), e.reason())};
    } catch (const ClaimFailed& e) {
        number = e.number();
        description = e.description();
        file = e.file();
        claimFailed = true;
    } catch (const platform::Error& e) {
        number = e.number();
        description = e.description();
        file = e.file();
    } catch (const std::bad_alloc&) {
        number = 7;
        description = QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        description += QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
    } catch (...) {
    }

    QString text = QStringLiteral("Error %1: %2").arg(number).arg(description);
    if (!file.isEmpty() && file != statementPath)
        text += QStringLiteral(" on ") + fs.withHostPath(file);
    text += QStringLiteral("\nwhile processing the statement ") + fs.withHostPath(statementPath)
            + QLatin1Char('.');
    if (claimFailed)
        text += QStringLiteral("\nThe statement cannot be claimed: Brevix must be able to rename and delete the files "
                               "of the temp and tempdet folders. Nothing was mailed.");
    text += whereTheStatementIs(place);
    return {kProgramTitle, text};
}

}  // namespace run
