#include "platform/cp1252.h"
#include "platform/display_check.h"
#include "platform/line_reader.h"
#include "platform/local_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

/// The lines of the bytes, given whole or, with `piece`, pulled that many bytes at a time.
std::vector<std::string> lines(const std::string& bytes, size_t piece = 0)
{
    size_t at = 0;
    platform::LineReader in = piece == 0 ? platform::LineReader(bytes)
                                         : platform::LineReader([&](char* buffer, size_t size) {
                                               const size_t n = bytes.copy(buffer, std::min(size, piece), at);
                                               at += n;
                                               return n;
                                           });
    std::vector<std::string> out;
    while (!in.atEnd())
        out.push_back(in.readLine());
    return out;
}

TEST(LineReader, EveryKindOfLineEndEndsALine)
{
    struct Case {
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n\r\nx", {"", "", "x"}},
        {"", {}},
        {" \t \r\n", {" \t "}},
    };
    // Pieces of one and two bytes cut every line and every CR LF somewhere.
    for (const Case& c : cases)
        for (size_t piece : {0, 1, 2})
            EXPECT_EQ(lines(c.bytes, piece), c.expected) << c.bytes << " in pieces of " << piece;
}

TEST(Cp1252, KeepsEveryByteThroughDecodingAndMarksWhatItLacks)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const QString text = platform::fromCp1252(all);
    EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC));
    bool exact = false;
    EXPECT_EQ(platform::toCp1252(text, &exact), all);
    EXPECT_TRUE(exact);
    EXPECT_EQ(platform::toCp1252(QString::fromUtf8("a\xE2\x98\x83"), &exact), "a?");
    EXPECT_FALSE(exact);
}

}  // namespace

TEST(LocalClock, TellsTheLocalTimeAtTheZonesOffset)
{
    const QDateTime local = QDateTime::currentDateTime();
    const QDateTime now = platform::localNow();
    EXPECT_EQ(now.offsetFromUtc(), local.offsetFromUtc());
    EXPECT_LT(std::abs(local.msecsTo(now)), 1000);
}

TEST(Display, AWindowNeedsADisplayUnlessQtDrawsElsewhere)
{
    const QString none = QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)");
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        QString reason;
    } cases[] = {
        {"", "", "", none},       {"xcb", "", "", none}, {"wayland", "", "", none},
        {"", ":0", "", {}},       {"", "", "wayland-0", {}},
        {"offscreen", "", "", {}}, {"vnc:size=800x600", "", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::noDisplayReason(c.platform, c.display, c.wayland), c.reason) << c.platform;
}
