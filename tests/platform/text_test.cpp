#include "platform/cp1252.h"
#include "platform/line_reader.h"
#include "platform/version.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <string>
#include <vector>

using platform::LineReader;

namespace {

std::vector<std::string> lines(const std::string& bytes)
{
    LineReader in(bytes);
    std::vector<std::string> out;
    while (!in.atEnd())
        out.push_back(in.readLine());
    return out;
}

TEST(LineReader, EveryKindOfLineEndEndsALine)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"last line without end", "a\r\nb", {"a", "b"}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"empty lines kept", "\r\n\r\nx", {"", "", "x"}},
        {"empty file", "", {}},
        {"tabs and blanks are content", " \t \r\n", {" \t "}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lines(c.bytes), c.expected) << c.name;
}

TEST(LineReader, SplitsFieldsAtEveryTab)
{
    std::vector<std::string> f;
    platform::splitTabs("H\t\tb\t", f);
    EXPECT_EQ(f, (std::vector<std::string>{"H", "", "b", ""}));
    platform::splitTabs("", f);
    EXPECT_EQ(f, (std::vector<std::string>{""}));
}

TEST(Cp1252, DecodesTheHighHalfAndKeepsEveryByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const QString text = platform::fromCp1252(all);
    EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC));  // euro sign
    EXPECT_EQ(text.at(0xE9 - 1), QChar(0xE9));    // e acute
    bool exact = false;
    EXPECT_EQ(platform::toCp1252(text, &exact), all);
    EXPECT_TRUE(exact);
}

TEST(Cp1252, MarksCharactersTheCodePageLacks)
{
    bool exact = true;
    EXPECT_EQ(platform::toCp1252(QString::fromUtf8("a\xE2\x98\x83"), &exact), "a?");
    EXPECT_FALSE(exact);
}

TEST(Version, FormatsMinorAndRevisionLikeTheCaptions)
{
    EXPECT_TRUE(platform::versionText().contains(QRegularExpression("^\\d+\\.\\d+\\.\\d\\d+$")))
        << qPrintable(platform::versionText());
}

}  // namespace
