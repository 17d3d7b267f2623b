#include "mailer/document/design_table.h"
#include "mailer/document/report.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace document;

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

/// A small grouped report over rows of (key, amount), logging its events.
class GroupReport : public Report {
public:
    explicit GroupReport(std::vector<std::pair<std::string, std::string>> rows, int rowHeight = 300)
        : rows_(std::move(rows))
    {
        const Style normal = parseStyle(u"Arial 10 pt");
        addSection(Section("RH", SectionKind::ReportHeader, 300, controlsFromRows({
            {"Title", ControlKind::Label, "Title", 0, 0, 2000, 270, "", ""},
        }, normal)));
        addSection(Section("PH", SectionKind::PageHeader, 300, controlsFromRows({
            {"Head", ControlKind::Label, "Head", 0, 0, 2000, 270, "", ""},
        }, normal)));
        addSection(Section("GH", SectionKind::GroupHeader, 300, controlsFromRows({
            {"GroupKey", ControlKind::Field, "KEY", 0, 0, 2000, 270, "", ""},
        }, normal), "Key"));
        addSection(Section("Detail", SectionKind::Detail, rowHeight, controlsFromRows({
            {"Amount", ControlKind::Field, "amount", 1000, 0, 2000, 270, "right", ""},
            {"Taxed", ControlKind::CheckBox, "Amount", 3000, 0, 270, 270, "", ""},
        }, normal)));
        addSection(Section("GF", SectionKind::GroupFooter, 300, controlsFromRows({
            {"Last", ControlKind::Field, "Amount", 0, 0, 2000, 270, "", "total"},
        }, normal)));
        addSection(Section("PF", SectionKind::PageFooter, 300, controlsFromRows({
            {"No", ControlKind::PageNumber, "", 0, 0, 500, 270, "", ""},
            {"Of", ControlKind::PageCount, "", 600, 0, 500, 270, "", ""},
        }, normal)));
        addSection(Section("RF", SectionKind::ReportFooter, 300, controlsFromRows({
            {"End", ControlKind::Label, "End", 0, 0, 2000, 270, "", ""},
        }, normal)));
    }

    std::vector<std::string> log;
    std::function<void()> onFetch;

protected:
    void ActiveReport_ReportStart() override { log.push_back("start"); }
    void ActiveReport_DataInitialize() override
    {
        log.push_back("init");
        Fields().add("Key");
        Fields().add("Amount");
    }
    void ActiveReport_FetchData(bool& eof) override
    {
        log.push_back("fetch");
        if (onFetch)
            onFetch();
        eof = next_ >= rows_.size();
        if (eof)
            return;
        Fields().setField("key", rows_[next_].first);
        Fields().setField("AMOUNT", rows_[next_].second);
        ++next_;
    }
    void ActiveReport_ReportEnd() override { log.push_back("end"); }

private:
    std::vector<std::pair<std::string, std::string>> rows_;
    size_t next_ = 0;
};

std::string pageText(const Report& r, int index)
{
    return r.pages().Item(index).toText().toStdString();
}

}  // namespace

TEST(Report, FiresTheEventsInOrderWithOneFetchPerRowAndOneForEof)
{
    GroupReport r({{"A", "1"}, {"A", "2"}});
    r.Run();
    EXPECT_EQ(r.log, (std::vector<std::string>{"start", "init", "fetch", "fetch", "fetch", "end"}));
}

TEST(Report, GroupFootersCloseEachGroupWithItsLastRowsValues)
{
    GroupReport r({{"A", "1"}, {"A", "2"}, {"B", "3"}, {"A", "4"}});
    r.Run();
    ASSERT_EQ(r.pages().Count(), 1);
    EXPECT_EQ(pageText(r, 0),
              "text 360,360 2000x270 \"Title\" left Arial 10\n"
              "text 360,660 2000x270 \"Head\" left Arial 10\n"
              "text 360,960 2000x270 \"A\" left Arial 10\n"
              "text 1360,1260 2000x270 \"1\" right Arial 10\n"
              "check 3360,1260 270x270 ticked\n"
              "text 1360,1560 2000x270 \"2\" right Arial 10\n"
              "check 3360,1560 270x270 ticked\n"
              "text 360,1860 2000x270 \"2\" left Arial 10\n"
              "text 360,2160 2000x270 \"B\" left Arial 10\n"
              "text 1360,2460 2000x270 \"3\" right Arial 10\n"
              "check 3360,2460 270x270 ticked\n"
              "text 360,2760 2000x270 \"3\" left Arial 10\n"
              "text 360,3060 2000x270 \"A\" left Arial 10\n"
              "text 1360,3360 2000x270 \"4\" right Arial 10\n"
              "check 3360,3360 270x270 ticked\n"
              "text 360,3660 2000x270 \"4\" left Arial 10\n"
              "text 360,3960 2000x270 \"End\" left Arial 10\n"
              "text 360,15180 500x270 \"1\" left Arial 10\n"
              "text 960,15180 500x270 \"1\" left Arial 10\n");
}

TEST(Report, NoRowsGivesHeadersReportFooterAndNoGroup)
{
    GroupReport r(Rows{});
    r.Run();
    ASSERT_EQ(r.pages().Count(), 1);
    EXPECT_EQ(pageText(r, 0),
              "text 360,360 2000x270 \"Title\" left Arial 10\n"
              "text 360,660 2000x270 \"Head\" left Arial 10\n"
              "text 360,960 2000x270 \"End\" left Arial 10\n"
              "text 360,15180 500x270 \"1\" left Arial 10\n"
              "text 960,15180 500x270 \"1\" left Arial 10\n");
}

TEST(Report, PagesAreNumberedWithinTheRunAndTheReportHeaderPrintsOnce)
{
    std::vector<std::pair<std::string, std::string>> rows(10, {"A", "0"});
    GroupReport r(rows, 3000);
    r.Run();
    ASSERT_EQ(r.pages().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::string text = pageText(r, i);
        EXPECT_EQ(text.find("\"Title\"") != std::string::npos, i == 0);
        EXPECT_NE(text.find("\"Head\""), std::string::npos);
        const std::string numbers = "text 360,15180 500x270 \"" + std::to_string(i + 1) +
                                    "\" left Arial 10\ntext 960,15180 500x270 \"3\" left Arial 10\n";
        EXPECT_EQ(text.substr(text.size() - numbers.size()), numbers);
    }
}

TEST(Report, AnErrorInAHandlerEndsTheRunAndReachesTheCaller)
{
    GroupReport r({{"A", "1"}, {"A", "2"}});
    r.onFetch = [&] {
        if (r.log.size() == 4)
            throw platform::Error(platform::Error::FileNotFound, "x.txt");
    };
    try {
        r.Run();
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
    }
    EXPECT_EQ(r.log.back(), "fetch");
    EXPECT_EQ(r.pages().Count(), 0);
}

TEST(Report, FieldsAndDesignAreFoundByNameInAnyCase)
{
    GroupReport r(Rows{{"A", "1"}});
    r.Run();
    EXPECT_EQ(r.Fields().value(u"amount"), "1");
    EXPECT_EQ(r.Fields().indexOf(u"KEY"), 0);
    EXPECT_THROW(r.Fields().setField("Missing", "x"), platform::Error);
    EXPECT_EQ(r.section(QStringLiteral("detail")).Count(), 2);
    EXPECT_EQ(r.section(3).control(1).name, "Taxed");
    EXPECT_EQ(r.control(QStringLiteral("last")).tag, "total");
    EXPECT_THROW(r.section(7), platform::Error);
    EXPECT_THROW(r.section(3).control(2), platform::Error);
    EXPECT_THROW(r.control(QStringLiteral("Nothing")), platform::Error);
}

TEST(Report, CheckBoxTicksForAnyValueButEmptyOrAFalseWord)
{
    const std::pair<const char*, bool> cases[] = {
        {"", false},   {"   ", false}, {"0", false},  {"N", false},   {"n", false},  {"No", false},
        {" NO ", false}, {"F", false}, {"false", false}, {"FALSE", false}, {"Y", true}, {"y", true},
        {"T", true},   {"1", true},    {"X", true},   {"Yes", true},  {" TRUE ", true}, {"00", true},
    };
    for (const auto& [value, ticked] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Report::isTicked(value), ticked);
    }
}

TEST(Pages, InsertCopiesPagesInAtAnIndex)
{
    GroupReport a(Rows{{"A", "1"}});
    a.Run();
    Pages all;
    Page blank;
    all.Insert(0, blank);
    all.Commit();
    all.Insert(0, a.pages().Item(0));
    all.Commit();
    ASSERT_EQ(all.Count(), 2);
    EXPECT_EQ(all.Item(0).toText(), a.pages().Item(0).toText());
    EXPECT_TRUE(all.Item(1).items().empty());
    EXPECT_THROW(all.Insert(3, blank), platform::Error);
    EXPECT_THROW(all.Item(2), platform::Error);
}
