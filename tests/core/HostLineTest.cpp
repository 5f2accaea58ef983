#include "core/HostLine.h"
#include "core/ListFile.h"

#include <gtest/gtest.h>

using namespace quillon::core;

namespace {
TRecHost record(std::string ip, std::string name, std::string alias, TDateTime date, int status, int freq)
{
    TRecHost r;
    r.IP = std::move(ip);
    r.HostName = std::move(name);
    r.Alias = std::move(alias);
    r.Date = date;
    r.Status = status;
    r.Freq = freq;
    return r;
}
const TDateTime March5 = *encodeDateTime({ 2001, 3, 5, 14, 7, 9, 0 });
} // namespace

TEST(HostLine, format_writesTheDocumentedExamples)
{
    EXPECT_EQ(formatHostLine(record("10.0.0.7", "intranet", "files", March5, 1, 12)),
              "10.0.0.7 intranet files #Quillon|2001/03/05|14.07.09|1|12#");
    EXPECT_EQ(formatHostLine(record("10.0.0.7", "intranet", "", March5, 1, 12)),
              "10.0.0.7 intranet  #Quillon|2001/03/05|14.07.09|1|12#");
    EXPECT_EQ(formatHostLine(record("", "intranet2", "", 0, 0, 1)), "0 intranet2  #Quillon|1899/12/30|00.00.00|0|1#");
}

TEST(HostLine, format_dropsMillisecondsAndPadsYear)
{
    const TDateTime t = *encodeDateTime({ 987, 1, 2, 3, 4, 5, 678 });
    EXPECT_EQ(formatHostLine(record("1.2.3.4", "a", "", t, 3, -4)), "1.2.3.4 a  #Quillon|0987/01/02|03.04.05|3|-4#");
}

TEST(HostLine, roundTrip_keepsEveryStoredField)
{
    const TRecHost cases[] = {
        record("10.0.0.7", "intranet", "files", March5, 1, 12),
        record("10.0.0.7", "intranet", "", March5, 2, 0),
        record("", "intranet2", "", 0, 0, 1),
        record("192.168.1.1", "Mixed.Case.Host", "a b c", *encodeDate(1999, 12, 31), 3, 2147483647),
    };
    for (const TRecHost& r : cases) {
        const TRecHost back = readHostLine(formatHostLine(r), 7);
        EXPECT_EQ(back.HostName, r.HostName);
        EXPECT_EQ(back.IP, r.IP.empty() ? "0" : r.IP); // the loader, not the reader, turns "0" back
        EXPECT_EQ(back.Alias, r.Alias);
        EXPECT_DOUBLE_EQ(back.Date, r.Date);
        EXPECT_EQ(back.Status, r.Status);
        EXPECT_EQ(back.Freq, r.Freq);
        EXPECT_EQ(back.Visited, 0);
    }
}

TEST(HostLine, read_foreignLineWithBlanksTabsAndComment)
{
    const TRecHost r = readHostLine("  127.0.0.1 \t  localhost\t\tloopback   lh \t # the usual", 5);
    EXPECT_EQ(r.IP, "127.0.0.1");
    EXPECT_EQ(r.HostName, "localhost");
    EXPECT_EQ(r.Alias, "loopback lh");
    EXPECT_EQ(r.Date, 0);
    EXPECT_EQ(r.Freq, 0);
    EXPECT_EQ(r.Status, 5);
}

TEST(HostLine, read_linesWithoutName)
{
    for (const char* line : { "", "   \t ", "# comment only", "10.0.0.1", "10.0.0.1 # name in comment",
                              "#Quillon|2001/03/05|14.07.09|1|12#" }) {
        EXPECT_TRUE(readHostLine(line, 1).HostName.empty()) << line;
    }
}

TEST(HostLine, read_commentTokenStopsPlainTokensButNotTheMarker)
{
    const TRecHost r = readHostLine("1.2.3.4 host # note #Quillon|2001/03/05|14.07.09|2|9# trailing", 0);
    EXPECT_EQ(r.Alias, "");
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Freq, 9);
    EXPECT_DOUBLE_EQ(r.Date, March5);
}

struct MarkerCase {
    const char* name;
    const char* marker;
    TDateTime date;
    int status;
    int freq;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.marker; }

class HostLineMarker : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(HostLineMarker, read_badFieldsFallBackOneByOne)
{
    const MarkerCase c = GetParam();
    const TRecHost r = readHostLine(std::string("1.2.3.4 h ") + c.marker, 6);
    EXPECT_DOUBLE_EQ(r.Date, c.date) << c.marker;
    EXPECT_EQ(r.Status, c.status) << c.marker;
    EXPECT_EQ(r.Freq, c.freq) << c.marker;
}

INSTANTIATE_TEST_SUITE_P(
    Markers, HostLineMarker,
    ::testing::Values(
        MarkerCase { "wellFormed", "#Quillon|2001/03/05|14.07.09|1|12#", March5, 1, 12 },
        MarkerCase { "letterStatus", "#Quillon|2001/03/05|14.07.09|X|12#", March5, 6, 12 },
        MarkerCase { "frequencyWithLeadingZeros", "#Quillon|2001/03/05|14.07.09|1|0007#", March5, 1, 7 },
        MarkerCase { "noSuchDay", "#Quillon|2001/02/30|14.07.09|1|3#", 0, 1, 3 },
        MarkerCase { "noSuchHour", "#Quillon|2001/03/05|24.00.00|1|3#", 0, 1, 3 },
        MarkerCase { "yearNotANumber", "#Quillon|20x1/03/05|14.07.09|1|3#", 0, 1, 3 },
        MarkerCase { "yearZero", "#Quillon|0000/01/01|00.00.00|1|3#", 0, 1, 3 },
        MarkerCase { "noFrequency", "#Quillon|2001/03/05|14.07.09|1|#", March5, 1, 0 },
        MarkerCase { "frequencyOverflow", "#Quillon|2001/03/05|14.07.09|1|99999999999#", March5, 1, 0 },
        MarkerCase { "frequencyNotANumber", "#Quillon|2001/03/05|14.07.09|1|1x#", March5, 1, 0 },
        MarkerCase { "wordAlone", "#Quillon", 0, 6, 0 },
        MarkerCase { "wordAndBar", "#Quillon|", 0, 6, 0 },
        MarkerCase { "cutShort", "#Quillon|2001/03/05|14.07.09", March5, 6, 0 },
        MarkerCase { "wordIsExact", "#quillon|2001/03/05|14.07.09|1|12#", 0, 6, 0 },
        MarkerCase { "binaryYear", "#Quillon|\x01\xff\x80\x7f/03/05|14.07.09|1|12#", 0, 1, 12 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostLine, read_binaryAndHugeInputDoesNotCrash)
{
    std::string line("1.2.3.4 ");
    line.append(10 * 1024 * 1024, 'a');
    line.append(" #Quillon|");
    const TRecHost big = readHostLine(line, 1);
    EXPECT_EQ(big.HostName.size(), 10u * 1024 * 1024);

    // Binary lines after an address: whatever the loader takes from them can
    // be written as one host line that reads back the same, and the bytes
    // that could break a hosts file line never get through.
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>(i * 37 + i / 251));
    int accepted = 0;
    for (std::size_t start = 0; start + 24 <= binary.size(); start += 5) {
        for (const RecordPtr& r : parseListText("10.0.0.1 " + binary.substr(start, 24), -1)) {
            ++accepted;
            ASSERT_TRUE(isWritableHostRecord(*r));
            const TRecHost back = readHostLine(formatHostLine(*r), 9);
            EXPECT_EQ(back.HostName, r->HostName);
            EXPECT_EQ(back.IP, r->IP);
            EXPECT_EQ(back.Alias, r->Alias);
        }
    }
    EXPECT_GT(accepted, 50);

    const TRecHost nul = readHostLine(std::string("1.2.3.4 na\0me", 13), 1);
    EXPECT_EQ(nul.HostName, std::string("na\0me", 5));
}

TEST(HostLine, read_aliasWordsThatWouldBreakTheLineAreDropped)
{
    const TRecHost r = readHostLine("1.2.3.4 host good ba#d also\x01" "bad fine", 1);
    EXPECT_EQ(r.Alias, "good fine");
}

TEST(HostLine, parseInt32_acceptsOnlyWholeDecimalNumbers)
{
    std::int32_t v = 0;
    EXPECT_TRUE(parseInt32("0012", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(parseInt32("-5", v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(parseInt32("+5", v));
    EXPECT_EQ(v, 5);
    for (const char* bad : { "", "+", "-", "+-5", "1 ", " 1", "0x10", "2147483648", "1.0" })
        EXPECT_FALSE(parseInt32(bad, v)) << bad;
}
