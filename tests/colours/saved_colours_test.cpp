#include "tests/colours/print_qt.h"
#include "colours/saved_colours.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

// Reading (an empty store, an unreadable colour) and writing on close are covered by the window
// tests; the order of the writes only shows here.
TEST(SavedColours, WritesAllSixInOrder)
{
    QStringList writes;
    for (const SavedColours::Write& w : SavedColours::writesFor(DocumentColours::defaults())) {
        EXPECT_EQ(QStringLiteral("%1\\%2").arg(w.key.application, w.key.section), "Mailvoy\\SendEmail\\Settings");
        writes << QStringLiteral("%1=%2").arg(w.key.name, w.text);
    }
    EXPECT_EQ(writes.join(' '), "ForeGroundColor=0 BackGroundColor=16773328 InvoiceShade=-1 ForeGroundColorSTMT=0 "
                                "BackGroundColorSTMT=16777215 StmtShade=15329791");
}

}  // namespace
