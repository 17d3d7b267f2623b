#include "mailer/document/report.h"
#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>

using namespace document;
using testing_support::errorOf;

namespace {

/// A report that logs its events and raises at its second fetch; its events, pages and groups
/// are otherwise proven through the statement and the invoice details.
class FailingReport : public Report {
public:
    std::vector<std::string> log;

protected:
    void ActiveReport_ReportStart() override { log.push_back("start"); }
    void ActiveReport_DataInitialize() override { log.push_back("init"); }
    void ActiveReport_FetchData(bool& eof) override
    {
        log.push_back("fetch");
        eof = false;
        if (++fetched_ == 2)
            throw platform::Error(platform::Error::FileNotFound, "x.txt");
    }
    void ActiveReport_ReportEnd() override { log.push_back("end"); }

private:
    int fetched_ = 0;
};

}  // namespace

TEST(Report, AnErrorInAHandlerEndsTheRunAndReachesTheCaller)
{
    FailingReport r;
    const auto e = errorOf([&] { r.Run(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), 53);
    EXPECT_EQ(r.log, (std::vector<std::string>{"start", "init", "fetch", "fetch"}));
    EXPECT_EQ(r.pages().Count(), 0);
}

TEST(Report, CheckBoxTicksForAnyValueButEmptyOrAFalseWord)
{
    const std::pair<const char*, bool> cases[] = {
        {"", false},    {"   ", false}, {"0", false}, {"N", false},   {"n", false},    {"No", false},
        {" NO ", false}, {"F", false},  {"false", false}, {"FALSE", false}, {"Y", true}, {"y", true},
        {"T", true},    {"1", true},    {"X", true},  {"Yes", true},  {" TRUE ", true}, {"00", true},
    };
    for (const auto& [value, ticked] : cases)
        EXPECT_EQ(Report::isTicked(value), ticked) << value;
}
