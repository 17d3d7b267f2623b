#include "platform/journal_stream.h"
#include "platform/service_notifier.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::ServiceNotifier;

// Its backslashes as the service manager reads them: tests/programs/service_test.cpp.
TEST(ServiceNotifier, StatusCountsTheDayAndSaysWhatIsMissing)
{
    std::vector<std::string> sent;
    QDateTime now(QDate(2026, 6, 30), QTime(23, 59, 50));
    ServiceNotifier service([&](const std::string& s) { sent.push_back(s); }, [&] { return now; });
    const QString temp = QStringLiteral(R"(\\h\parlow\email7\statements\temp)");
    const std::string watching = R"(STATUS=watching \\h\parlow\email7\statements\temp: )";

    service.waiting(temp, QStringLiteral(R"(no \\h\parlow (/mnt/unc/h/parlow); is the share mounted?)"));
    service.waiting(temp, QStringLiteral(R"(no \\h\parlow (/mnt/unc/h/parlow); is the share mounted?)"));
    service.watching(temp);
    service.watching(temp);
    service.filed(QStringLiteral(R"(\\h\parlow\email7\statements\out\1.0105.PDF)"), true);
    now = now.addSecs(2);
    service.filed(QStringLiteral(R"(\\h\parlow\email7\statements\out\2.0105.PDF)"), false);
    service.setAside(temp + QStringLiteral(R"(\3.txt)"));
    service.archiveProblem(QStringLiteral(R"(no \\h\tarnlnk)"));
    service.archiveProblem(QStringLiteral(R"(no \\h\tarnlnk)"));
    service.archiveProblem(QString());
    service.idle();  // within the minute: nothing new
    now = now.addSecs(10);
    service.idle();  // a new day
    service.waiting(temp, QStringLiteral(R"(no \\h\parlow\email7 (/mnt/unc/h/parlow/email7))"));
    service.watching(temp);  // ready once only

    EXPECT_EQ(sent, (std::vector<std::string>{
                        R"(STATUS=waiting for \\h\parlow\email7\statements\temp: no \\h\parlow (/mnt/unc/h/parlow); is the share mounted?)",
                        "READY=1",
                        watching + "0 mailed today, 0 set aside",
                        watching + "1 mailed today, 0 set aside, last 1.0105.PDF at 23:59:50",
                        watching + "1 mailed today, 1 filed without mail, 0 set aside, last 2.0105.PDF at 23:59:52",
                        watching + "1 mailed today, 1 filed without mail, 1 set aside, last 3.txt set aside at 23:59:52",
                        watching + R"(1 mailed today, 1 filed without mail, 1 set aside, last 3.txt set aside at 23:59:52; )"
                                   R"(warning: no archive copies, no \\h\tarnlnk)",
                        watching + "1 mailed today, 1 filed without mail, 1 set aside, last 3.txt set aside at 23:59:52",
                        watching + "0 mailed today, 0 set aside, last 3.txt set aside at 23:59:52",
                        R"(STATUS=waiting for \\h\parlow\email7\statements\temp: no \\h\parlow\email7 (/mnt/unc/h/parlow/email7))",
                        watching + "0 mailed today, 0 set aside, last 3.txt set aside at 23:59:52",
                    }));
}

TEST(JournalStream, PrefixesEveryLineWithItsPriorityOnlyOnTheJournal)
{
    for (const bool journal : {true, false}) {
        std::ostringstream target;
        platform::JournalStream err(target, journal, platform::Priority::Warning);
        err << "Error: not a colour at Line: 1 in Brevix.\n";
        err << platform::error << "Error 61: Disk full\non out\\1.PDF" << std::endl;
        err << "unmarked again\n" << platform::info << "Connected" << std::flush;
        EXPECT_EQ(target.str(), journal ? "<4>Error: not a colour at Line: 1 in Brevix.\n<3>Error 61: Disk full\n"
                                          "<3>on out\\1.PDF\n<4>unmarked again\n<6>Connected"
                                        : "Error: not a colour at Line: 1 in Brevix.\nError 61: Disk full\n"
                                          "on out\\1.PDF\nunmarked again\nConnected");
    }
}

}  // namespace
