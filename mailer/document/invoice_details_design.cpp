#include "mailer/document/design_table.h"
#include "mailer/document/invoice_details.h"

namespace document {
namespace {

constexpr auto Label = ControlKind::Label;
constexpr auto Field = ControlKind::Field;
constexpr auto PageNumber = ControlKind::PageNumber;
constexpr auto PageCount = ControlKind::PageCount;
constexpr auto Line = ControlKind::Line;
constexpr auto Box = ControlKind::Box;
constexpr auto CheckBox = ControlKind::CheckBox;

}  // namespace

PageGeometry invoiceDetailsGeometry()
{
    return PageGeometry();
}

std::vector<Section> invoiceDetailsDesign()
{
    const Style normal = parseStyle(u"Arial 10 pt");
    std::vector<Section> sections;

    sections.emplace_back(QStringLiteral("ReportHeader1"), SectionKind::ReportHeader, 360, controlsFromRows({
    //   name           kind   shows               left   top  width height style                  tag
        {"Label17",     Label, "Invoice Details",  4320,    0, 2880,  270, "Arial 12 pt, center", ""},
    }, normal));

    // Column headings in a frame.
    sections.emplace_back(QStringLiteral("PageHeader1"), SectionKind::PageHeader, 480, controlsFromRows({
    //   name           kind   shows               left   top  width height style                  tag
        {"Shape1",      Box,   "",                    0,   90, 11340,  360, "",                    ""},
        {"Label1",      Label, "Invoice",           180,  180,  900,  270, "right",               ""},
        {"Label2",      Label, "Date",             1170,  180,  810,  270, "center",              ""},
        {"Label3",      Label, "P/O",              2160,  180,  990,  270, "",                    ""},
        {"Label4",      Label, "Line",             3240,  180,  450,  270, "right",               ""},
        {"Label5",      Label, "Part / remark",    3780,  180, 3600,  270, "Arial 10 pt",         ""},
        {"Label6",      Label, "Qty",              7560,  180,  630,  270, "right",               ""},
        {"Label7",      Label, "Net Each",         8370,  180,  900,  270, "left",                ""},
        {"Label8",      Label, "Extended ",        9630,  180, 1080,  270, "right",               ""},
        {"Label9",      Label, "Tax",             10980,  180,  450,  270, "",                    ""},
    }, normal));

    // Opens a group for each invoice number; prints nothing.
    sections.emplace_back(QStringLiteral("InvHeader1"), SectionKind::GroupHeader, 0, std::vector<Control>(),
                          QStringLiteral("InvDet.Invno"));

    sections.emplace_back(QStringLiteral("Detail1"), SectionKind::Detail, 360, controlsFromRows({
    //   name           kind      shows             left   top  width height style                  tag
        {"txtInvoice",  Field,    "InvDet.Invno",     90,   90,  990,  270, "Arial 10 pt, right",  ""},
        {"txtDate",     Field,    "InvDet.InvDate", 1170,   90,  810,  270, "Arial 10 pt, center", ""},
        {"txtPO",       Field,    "InvDet.PO",      2160,   90,  990,  270, "Arial 9 pt",          ""},
        {"Field4",      Field,    "InvDet.Line",    3240,   90,  450,  270, "Arial 9 pt, right",   ""},
        {"Field5",      Field,    "InvDet.Part",    3780,   90, 3600,  270, "Arial Narrow 9 pt, free text", ""},
        {"Field6",      Field,    "InvDet.Qty",     7560,   90,  630,  270, "Arial 10 pt, right",  ""},
        {"Field7",      Field,    "InvDet.Cost",    8370,   90,  900,  270, "Arial 10 pt, right",  ""},
        {"txtCostCR",   Field,    "InvDet.CostCR",  9270,   90,  360,  270, "",                    ""},
        {"Field8",      Field,    "InvDet.Ext",     9630,   90, 1080,  270, "Arial 10 pt, right",  ""},
        {"txtExtCR",    Field,    "InvDet.ExtCR",  10710,   90,  360,  270, "",                    ""},
        {"CheckBox1",   CheckBox, "InvDet.Tax",    11070,   90,  270,  270, "",                    ""},
    }, normal));

    // Closes each invoice with its ship-to address and totals.
    sections.emplace_back(QStringLiteral("InvFooter1"), SectionKind::GroupFooter, 1305, controlsFromRows({
    //   name           kind   shows               left   top  width height style                  tag
        {"Label12",     Label, "ShipTo: ",          360,   90,  720,  270, "right",               ""},
        {"Field9",      Field, "InvHead.Ship1",    1170,   90, 3870,  270, "free text",           ""},
        {"Label13",     Label, "Sub-Total:",       8100,   90, 1170,  270, "right",               ""},
        {"Field13",     Field, "InvHead.SubTot",   9540,   90, 1170,  270, "right",               ""},
        {"txtSubCR",    Field, "InvHead.SubCR",   10710,   90,  360,  270, "",                    ""},
        {"Field10",     Field, "InvHead.Ship2",    1170,  360, 3870,  270, "free text",           ""},
        {"Label14",     Label, "Miscellaneous:",   7650,  360, 1620,  270, "right",               ""},
        {"Field14",     Field, "InvHead.Misc",     9540,  360, 1170,  270, "right",               ""},
        {"txtMiscCR",   Field, "InvHead.MiscCR",  10710,  360,  360,  270, "",                    ""},
        {"Field11",     Field, "InvHead.Ship3",    1170,  630, 3870,  270, "free text",           ""},
        {"Label15",     Label, "Sales Tax:",       8190,  630, 1080,  270, "right",               ""},
        {"Field15",     Field, "InvHead.TaxTot",   9540,  630, 1170,  270, "right",               ""},
        {"txtTaxCR",    Field, "InvHead.TaxCR",   10710,  630,  360,  270, "",                    ""},
        {"Field12",     Field, "InvHead.Ship4",    1170,  900, 3870,  270, "free text",           ""},
        {"Label16",     Label, "Invoice Total:",   7740,  900, 1530,  270, "right",               ""},
        {"Field16",     Field, "InvHead.Tot",      9540,  900, 1170,  270, "right",               ""},
        {"txtTotCR",    Field, "InvHead.TotCR",   10710,  900,  360,  270, "",                    ""},
        {"Line1",       Line,  "",                  180, 1260, 11340, 1260, "",                   ""},
    }, normal));

    // Page number and count of this report's own run.
    sections.emplace_back(QStringLiteral("PageFooter1"), SectionKind::PageFooter, 360, controlsFromRows({
    //   name           kind       shows           left   top  width height style                  tag
        {"Label10",     Label,     "Page ",        9180,   90,  540,  270, "right",               ""},
        {"Tpage",       PageNumber, "",            9810,   90,  360,  270, "center",              ""},
        {"Label11",     Label,     "of",          10170,   90,  270,  270, "center",              ""},
        {"Tpages",      PageCount, "",            10440,   90,  360,  270, "",                    ""},
    }, normal));

    // Prints nothing.
    sections.emplace_back(QStringLiteral("ReportFooter1"), SectionKind::ReportFooter, 360, std::vector<Control>());

    return sections;
}

}  // namespace document
