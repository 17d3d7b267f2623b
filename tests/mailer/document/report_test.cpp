#include "mailer/document/report.h"
#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>

using namespace document;
using testing_support::errorOf;

namespace {

/// A report that logs its events over `rows` rows and raises at fetch `failAt`; its pages and
/// groups are proven through the statement and the invoice details.
class EventLog : public Report {
public:
    explicit EventLog(int rows, int failAt = 0) : rows_(rows), failAt_(failAt) {}
    std::vector<std::string> log;

protected:
    void ActiveReport_ReportStart() override { log.push_back("start"); }
    void ActiveReport_DataInitialize() override
    {
        log.push_back("init");
        Fields().add("Amount");
    }
    void ActiveReport_FetchData(bool& eof) override
    {
        log.push_back("fetch");
        if (++fetched_ == failAt_)
            throw platform::Error(platform::Error::FileNotFound, "x.txt");
        eof = fetched_ > rows_;
        if (!eof)
            Fields().setField("AMOUNT", std::to_string(fetched_));
    }
    void ActiveReport_ReportEnd() override { log.push_back("end"); }

private:
    int rows_, failAt_, fetched_ = 0;
};

}  // namespace

TEST(Report, FiresTheEventsInOrderWithOneFetchPerRowAndOneForEof)
{
    for (int rows : {0, 2}) {
        EventLog r(rows);
        r.Run();
        std::vector<std::string> events{"start", "init"};
        events.insert(events.end(), rows + 1, "fetch");
        events.push_back("end");
        EXPECT_EQ(r.log, events);
        EXPECT_EQ(r.Fields().value(u"amount"), rows ? "2" : "");
    }
}

TEST(Report, AnErrorInAHandlerEndsTheRunAndReachesTheCaller)
{
    EventLog r(2, 2);
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
