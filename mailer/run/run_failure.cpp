#include "mailer/run/run_failure.h"

#include "mailer/input/bad_record.h"
#include "platform/error.h"
#include "platform/path_mapper.h"

#include <new>

namespace run {

RunFailure describeFailure(std::exception_ptr error, const QString& statementPath, bool statementKept)
{
    int number = 51;
    QString description = QStringLiteral("Internal error");
    QString file;
    try {
        std::rethrow_exception(error);
    } catch (const input::BadRecord& e) {
        return {input::BadRecord::title(), e.message()};
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
        text += QStringLiteral(" on ") + platform::withHostPath(file);
    text += QStringLiteral("\nwhile processing the statement ") + platform::withHostPath(statementPath)
            + QLatin1Char('.');
    text += statementKept ? QStringLiteral("\nThe statement file is still in the temp folder and will be "
                                           "processed again when Brevix is started after the cause is mended.")
                          : QStringLiteral("\nThe statement file is no longer in the temp folder.");
    return {kProgramTitle, text};
}

}  // namespace run
