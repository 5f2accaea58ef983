#include "platform/LineSplitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quillon::platform::LineSplitter;
using Lines = std::vector<std::string>;

namespace {

Lines split(const std::vector<std::string_view>& pieces)
{
    Lines lines;
    LineSplitter splitter([&](std::string_view line) { lines.emplace_back(line); });
    for (const std::string_view piece : pieces)
        splitter.feed(piece);
    splitter.finish();
    return lines;
}

// Every way of cutting the text in two gives the same lines: a CR LF pair
// or a line may straddle the pieces a file is read in.
TEST(LineSplitter, linesDoNotDependOnWhereTheTextIsCut)
{
    const std::string text = "a\r\nbb\rccc\n\nd\r\r\ne";
    const Lines expected { "a", "bb", "ccc", "", "d", "", "e" };
    ASSERT_EQ(split({ text }), expected);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string_view v = text;
        EXPECT_EQ(split({ v.substr(0, cut), v.substr(cut) }), expected) << "cut at " << cut;
    }
    EXPECT_EQ(split({ "x\n" }), Lines { "x" });
    EXPECT_EQ(split({ "" }), Lines {});
}

TEST(LineSplitter, anOverlongLineIsCutAndTheNextLineIsWhole)
{
    const std::string longLine(LineSplitter::MaxLineBytes + 10, 'x');
    const Lines lines = split({ longLine.substr(0, 100), longLine.substr(100), "\nnext" });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), LineSplitter::MaxLineBytes);
    EXPECT_EQ(lines[1], "next");
}

} // namespace
