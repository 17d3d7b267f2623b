#include "mailer/run/statement_paths.h"

#include <gtest/gtest.h>

using namespace run;

namespace {

const QString kTemp = "\\\\host\\parlow\\email7\\statements\\temp\\";

TEST(StatementPaths, DetailAndPdfPathsChangeOnlyTheTempFolderAndTheExtension)
{
    struct Case {
        QString statement;
        QString stmtRef;
        QString detail;
        QString pdf;
    } cases[] = {
        {kTemp + "12345.txt", "0105", "\\\\host\\parlow\\email7\\statements\\tempdet\\12345det.txt",
         "\\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF"},
        {kTemp + "12345.TXT", "0105", "\\\\host\\parlow\\email7\\statements\\tempdet\\12345.TXT",
         "\\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF"},
        {kTemp + "12345.txt", "", "\\\\host\\parlow\\email7\\statements\\tempdet\\12345det.txt",
         "\\\\host\\parlow\\email7\\statements\\out\\12345..PDF"},
        // "temp" and ".txt" elsewhere in the path stay as they are.
        {"\\\\tempsrv\\parlow\\email7\\statements\\temp\\temp1.txt.txt", "9",
         "\\\\tempsrv\\parlow\\email7\\statements\\tempdet\\temp1.txtdet.txt",
         "\\\\tempsrv\\parlow\\email7\\statements\\out\\temp1.txt.9.PDF"},
        // A host path, as the render command gives it.
        {"/srv/share/temp/12345.txt", "1", "/srv/share/tempdet/12345det.txt", "/srv/share/out/12345.1.PDF"},
        {"/srv/contemp/12345.txt", "1", "/srv/contemp/12345det.txt", "/srv/contemp/12345.1.PDF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detailPathFor(c.statement), c.detail) << qPrintable(c.statement);
        EXPECT_EQ(pdfPathFor(c.statement, c.stmtRef), c.pdf) << qPrintable(c.statement);
    }
}

}  // namespace
