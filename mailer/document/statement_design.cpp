#include "mailer/document/statement_design.h"

#include "mailer/document/design_table.h"

namespace document {
namespace {

constexpr auto Label = ControlKind::Label;
constexpr auto Field = ControlKind::Field;
constexpr auto PageNumber = ControlKind::PageNumber;
constexpr auto PageCount = ControlKind::PageCount;
constexpr auto Line = ControlKind::Line;
constexpr auto Box = ControlKind::Box;
constexpr auto Image = ControlKind::Image;
constexpr auto CheckBox = ControlKind::CheckBox;

constexpr const char* kShade = "Microsoft Sans Serif 8.5 pt, right, fill RGB(255,233,233)";

}  // namespace

PageGeometry statementGeometry()
{
    PageGeometry g;
    g.top = 720;
    return g;
}

std::vector<Section> statementDesign()
{
    const Style normal = parseStyle(u"Arial 10 pt");
    std::vector<Section> sections;

    // Remittance stub above the fold line.
    sections.emplace_back(QStringLiteral("ReportHeader1"), SectionKind::ReportHeader, 4725, controlsFromRows({
    //   name             kind      shows                   left   top  width height style                                        tag
        {"ToAddr1",       Field,    "ToAddr1",               360,  270, 4680,  270, "free text",                                  ""},
        {"Label39",       Label,    "Statement Date ",      6030,  270, 1620,  270, "right",                                      "BG"},
        {"Field1",        Field,    "Date",                 7740,  270,  900,  270, "center, fill RGB(255,255,255)",              ""},
        {"Label38",       Label,    "Account ",             8730,  270, 1350,  270, "right",                                      "BG"},
        {"Field2",        Field,    "Account",             10170,  270,  990,  270, "right, fill RGB(255,255,255)",               ""},
        {"ToAddr2",       Field,    "ToAddr2",               360,  540, 4680,  270, "free text",                                  ""},
        {"Label42",       Label,    "Total ",               8730,  630, 1350,  270, "right",                                      "BG"},
        {"Field16",       Field,    "Total",               10170,  630, 1170,  270, "Arial 10 pt, right",                         ""},
        {"ToAddr3",       Field,    "ToAddr3",               360,  810, 4680,  270, "free text",                                  ""},
        {"Label43",       Label,    "Balance Due ",         8730,  990, 1350,  270, "right",                                      "BG"},
        {"Field15",       Field,    "RemBalanceDue",       10170,  990, 1170,  270, "Arial 10 pt, right, fill RGB(255,255,255)",  ""},
        {"ToAddr4",       Field,    "ToAddr4",               360, 1080, 4680,  270, "free text",                                  ""},
        {"Label44",       Label,    "Amount Paid ",         8730, 1350, 1350,  270, "right",                                      "BG"},
        {"Shape1",        Box,      "",                    10170, 1350, 1170,  270, "",                                           ""},
        {"RemitDiscount", Field,    "RemitDiscount",        5580, 1710, 5760,  270, "Arial 8.5 pt, right, text RGB(192,0,0), second line", ""},
        {"Logo2",         Image,    "",                       90, 2160, 6030, 2160, "",                                           ""},
        {"Logo1",         Image,    "",                      360, 2160, 4410, 2160, "",                                           "", Hidden},
        {"Field7",        Field,    "Msg1",                 6300, 2520, 5130,  270, "Arial 8.5 pt, free text",                    ""},
        {"FromAddr1",     Field,    "FromAddr1",             360, 2790, 4680,  270, "free text",                                  ""},
        {"Field8",        Field,    "Msg2",                 6300, 2970, 5130,  270, "Arial 8.5 pt, free text",                    ""},
        {"FromAddr2",     Field,    "FromAddr2",             360, 3060, 4680,  270, "free text",                                  ""},
        {"FromAddr3",     Field,    "FromAddr3",             360, 3330, 4680,  270, "free text",                                  ""},
        {"Field9",        Field,    "Msg3",                 6300, 3420, 5130,  270, "Arial 8.5 pt, free text",                    ""},
        {"FromAddr4",     Field,    "FromAddr4",             360, 3600, 4680,  270, "free text",                                  ""},
        {"Label45",       Label,    "Fold Here",            5580, 4500,  810,  270, "Arial 8.5 pt",                               ""},
        {"Line2",         Line,     "",                        0, 4680, 11340, 4680, "",                                          ""},
    }, normal));

    sections.emplace_back(QStringLiteral("PageHeader1"), SectionKind::PageHeader, 1275, controlsFromRows({
    //   name             kind      shows                   left   top  width height style                                        tag
        {"Label33",       Label,    "Total Due Last Statement:", 1170, 270, 2430, 270, "",                                        ""},
        {"LastDue",       Field,    "BegBal",               3600,  270, 1080,  270, "Microsoft Sans Serif 8.5 pt, right",         ""},
        {"Label41",       Label,    "Statement Date ",      6030,  270, 1620,  270, "right",                                      ""},
        {"Field14",       Field,    "Date",                 7740,  270,  900,  270, "center, fill RGB(255,255,255)",              ""},
        {"Label40",       Label,    "Account ",             9270,  270,  990,  270, "right",                                      ""},
        {"Field13",       Field,    "Account",             10260,  270,  900,  270, "right, fill RGB(255,255,255)",               ""},
        {"Label32",       Label,    "INDICATE BEING PAID",  8640,  630, 2430,  270, "Microsoft Sans Serif 8.5 pt, right, text RGB(192,0,0)", ""},
        {"CheckBox1",     CheckBox, "[x]",                 11160,  630,  270,  270, "",                                           ""},
        {"Label1",        Label,    "THIS STATEMENT REFLECTS CREDITS AND CHARGES MADE THROUGH THE STATEMENT DATE",
                                                              90,  720, 8280,  270, "Arial 8.5 pt, text RGB(192,0,0)",            ""},
        {"Label8",        Label,    "Date",                   90,  990,  810,  270, "Arial 10 pt, center",                        "BG"},
        {"Label9",        Label,    "Invoice",               900,  990,  810,  270, "center",                                     "BG"},
        {"Label10",       Label,    "Description",          1710,  990, 2430,  270, "center",                                     "BG"},
        {"Label11",       Label,    "Amount",               4140,  990,  990,  270, "center",                                     "BG"},
        {"Label12",       Label,    "Future",               5130,  990,  990,  270, "center",                                     "BG"},
        {"Label13",       Label,    "Current",              6120,  990,  990,  270, "center",                                     "BG"},
        {"Label14",       Label,    "Past 30+",             7110,  990,  990,  270, "Arial Narrow 10 pt, center",                 "BG"},
        {"Label15",       Label,    "Past 60+",             8100,  990,  990,  270, "Arial Narrow 10 pt, center",                 "BG"},
        {"Label16",       Label,    "Past 90+",             9090,  990,  990,  270, "Arial Narrow 10 pt, center",                 "BG"},
        {"Label19",       Label,    "Amount",              10080,  990,  990,  270, "Arial Narrow 10 pt, center",                 "BG"},
    }, normal));

    // One row per statement line, every row with the same fill.
    sections.emplace_back(QStringLiteral("Detail1"), SectionKind::Detail, 270, controlsFromRows({
    //   name             kind      shows                   left   top  width height style                                        tag
        {"InvDate",       Field,    "InvDate",                90,    0,  810,  270, "Microsoft Sans Serif 8.5 pt, center, fill RGB(255,233,233)", "SHADE"},
        {"Invno",         Field,    "Invno",                 900,    0,  810,  270, "Microsoft Sans Serif 8.5 pt, fill RGB(255,233,233)", "SHADE"},
        {"InvDesc",       Field,    "InvDesc",              1710,    0, 2430,  270, "MS Sans Serif 8.5 pt, fill RGB(255,233,233), free text", "SHADE"},
        {"InvAmount",     Field,    "InvAmount",            4140,    0,  990,  270, kShade,                                       "SHADE"},
        {"FutDue",        Field,    "FutDue",               5130,    0,  990,  270, kShade,                                       "SHADE"},
        {"Current",       Field,    "CurDue",               6120,    0,  990,  270, kShade,                                       "SHADE"},
        {"Due30",         Field,    "Due30",                7110,    0,  990,  270, kShade,                                       "SHADE"},
        {"Due60",         Field,    "Due60",                8100,    0,  990,  270, kShade,                                       "SHADE"},
        {"Due90",         Field,    "Due90",                9090,    0,  990,  270, kShade,                                       "SHADE"},
        {"DueAmount",     Field,    "DueAmount",           10080,    0,  990,  270, kShade,                                       "SHADE"},
        {"CheckBox2",     CheckBox, "[ ]",                 11160,    0,  270,  270, "",                                           ""},
    }, normal));

    // Page number and count of this report's run, at both ends.
    sections.emplace_back(QStringLiteral("PageFooter1"), SectionKind::PageFooter, 375, controlsFromRows({
    //   name             kind       shows                  left   top  width height style                                        tag
        {"Line1",         Line,      "",                      90,   90, 11430,  90, "",                                           ""},
        {"Label34",       Label,     "Page",                  90,  180,  630,  180, "",                                           ""},
        {"Field10",       PageNumber, "",                    720,  180,  270,  180, "",                                           ""},
        {"Label35",       Label,     "of",                   990,  180,  270,  180, "",                                           ""},
        {"Tpages",        PageCount, "",                    1260,  180,  360,  180, "",                                           ""},
        {"Label36",       Label,     "Page",                9900,  180,  630,  180, "",                                           ""},
        {"Field11",       PageNumber, "",                  10530,  180,  270,  180, "",                                           ""},
        {"Label37",       Label,     "of",                 10800,  180,  270,  180, "",                                           ""},
        {"Field12",       PageCount, "",                   11070,  180,  360,  180, "",                                           ""},
    }, normal));

    sections.emplace_back(QStringLiteral("ReportFooter1"), SectionKind::ReportFooter, 1800, controlsFromRows({
    //   name             kind      shows                   left   top  width height style                                        tag
        {"Label20",       Label,    "TOTALS       ",          90,  270, 4050,  540, "Arial 14.5 pt, right",                       "BG"},
        {"Label21",       Label,    "On Account",           4140,  270,  990,  270, "Arial 8.5 pt, center",                       "BG"},
        {"Label22",       Label,    "Future",               5130,  270,  990,  270, "center",                                     "BG"},
        {"Label23",       Label,    "Current",              6120,  270,  990,  270, "center",                                     "BG"},
        {"Label24",       Label,    "Past 30+",             7110,  270,  990,  270, "center",                                     "BG"},
        {"Label25",       Label,    "Past 60+",             8100,  270,  990,  270, "center",                                     "BG"},
        {"Label26",       Label,    "Past 90+",             9090,  270,  990,  270, "center",                                     "BG"},
        {"Label46",       Label,    "Total",               10080,  270,  990,  260, "center",                                     "BG"},
        {"TotOnAcct",     Field,    "TotOnAcct",            4140,  540,  990,  270, kShade,                                       "SHADE"},
        {"TotFuture",     Field,    "TotFuture",            5130,  540,  990,  270, kShade,                                       "SHADE"},
        {"TotCurrent",    Field,    "TotCurrent",           6120,  540,  990,  270, kShade,                                       "SHADE"},
        {"Past30",        Field,    "Past30",               7110,  540,  990,  270, kShade,                                       "SHADE"},
        {"Past60",        Field,    "Past60",               8100,  540,  990,  270, kShade,                                       "SHADE"},
        {"Past90",        Field,    "Past90",               9090,  540,  990,  270, kShade,                                       "SHADE"},
        {"Field17",       Field,    "Total",               10080,  540,  990,  270, kShade,                                       "SHADE"},
        {"Label47",       Label,    "PAY THIS AMOUNT ------>", 5940, 990, 2700,  270, "fill RGB(255,233,233)",                      "SHADE"},
        {"Label28",       Label,    "BALANCE DUE",          8820,  990, 1260,  270, "Microsoft Sans Serif 8.5 pt, fill RGB(255,255,255)", "BG"},
        {"BalanceDue",    Field,    "RemBalanceDue",       10080,  990,  990,  270, kShade,                                       "SHADE"},
        {"Discount",      Field,    "Discount",             4770, 1440, 6300,  360, "Microsoft Sans Serif 8.5 pt, right, text RGB(192,0,0), second line", ""},
    }, normal));

    return sections;
}

}  // namespace document
