#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/ListFile.h"
#include "fakes/CaseName.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <random>
#include <string>

using namespace quillon::core;

namespace {

struct AddressCase {
    const char* text;
    bool hostLine; // may stand in a host line's address field
    bool pinned;   // marks an entry someone set on purpose
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class AddressField : public ::testing::TestWithParam<AddressCase> {};

} // namespace

TEST_P(AddressField, acceptedAndPinnedAsTheSystemReadsThem)
{
    const AddressCase& c = GetParam();
    EXPECT_EQ(isHostLineAddress(c.text), c.hostLine) << c.text;
    EXPECT_EQ(isPinnedAddress(c.text), c.pinned) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressField,
    ::testing::Values(
        // ordinary unicast IPv4
        AddressCase { "10.0.0.7", true, false }, AddressCase { "93.184.216.34", true, false },
        AddressCase { "223.255.255.255", true, false }, AddressCase { "192.168.001.010", true, false },
        // the record without an address
        AddressCase { "0", true, false }, AddressCase { "", false, false },
        // set on purpose: loopback, blocking, multicast, broadcast, IPv6
        AddressCase { "127.0.0.1", true, true }, AddressCase { "127.0.1.1", true, true },
        AddressCase { "0.0.0.0", true, true }, AddressCase { "224.0.0.251", true, true },
        AddressCase { "255.255.255.255", true, true }, AddressCase { "::1", true, true },
        AddressCase { "ff02::1", true, true }, AddressCase { "fe80::1", true, true },
        AddressCase { "::ffff:1.2.3.4", true, true }, AddressCase { "2001:db8:0:0:0:0:2:1", true, true },
        AddressCase { "::", true, true },
        // not an address: these would let the line say more than it should
        AddressCase { "10.6.6.6\vevil.test", false, false }, AddressCase { "1.2.3.4#x", false, false },
        AddressCase { "#1.2.3.4", false, false }, AddressCase { "1.2.3.4\r", false, false },
        AddressCase { "fe80::1%lo0", false, false }, AddressCase { "1.2.3", false, false },
        AddressCase { "1.2.3.4.5", false, false }, AddressCase { "256.1.1.1", false, false },
        AddressCase { "1.2.3.1234", false, false }, AddressCase { "0x7f.0.0.1", false, false },
        AddressCase { "localhost", false, false }, AddressCase { "1::2::3", false, false },
        AddressCase { "1:2:3:4:5:6:7:8:9", false, false }, AddressCase { ":1", false, false },
        AddressCase { "1:", false, false }, AddressCase { "12345::1", false, false },
        AddressCase { "::1.2.3.04", false, false }, AddressCase { "00", false, false }),
    [](const auto& info) { return quillon::test::caseName(info.index, info.param.text); });

// The IPv6 reading agrees with the C library's, over many texts made of the
// characters an IPv6 address uses.
TEST(AddressFieldDifferential, ipv6AgreesWithInetPton)
{
    std::mt19937 random(20261207);
    const std::string alphabet = "0123456789abcdefABCDEF:::..";
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k)
            text.push_back(alphabet[random() % alphabet.size()]);
        unsigned char bytes[16];
        const bool system = ::inet_pton(AF_INET6, text.c_str(), bytes) == 1;
        ASSERT_EQ(isIPv6Text(text), system) << text;
    }
}

TEST(HostLineGuard, recordsThatWouldChangeWhatTheResolverReadsAreNeverWritten)
{
    const auto record = [](std::string ip, std::string name, std::string alias) {
        TRecHost r;
        r.IP = std::move(ip);
        r.HostName = std::move(name);
        r.Alias = std::move(alias);
        r.Status = StatusSaved;
        return r;
    };
    const TRecHost refused[] = {
        record("1.2.3.4", "a\nb", ""),          record("1.2.3.4", "a b", ""),
        record("1.2.3.4", "", ""),              record("1.2.3.4\n6.6.6.6", "a", ""),
        record("1.2.3.4#", "a", ""),            record("1.2.3.4", "a", "x\n6.6.6.6 evil.test"),
        record("1.2.3.4", "a", "x#y"),          record("1.2.3.4", "a", "x\ty"),
        record("10.6.6.6\vevil.test", "a", ""),
    };
    for (const TRecHost& r : refused) {
        std::string out = "before";
        EXPECT_FALSE(appendHostLine(out, r)) << r.HostName << "|" << r.IP << "|" << r.Alias;
        EXPECT_EQ(out, "before");
    }
    HostStore store;
    RecordList records;
    records.push_back(std::make_unique<TRecHost>(record("1.2.3.4", "good", "also fine")));
    records.push_back(std::make_unique<TRecHost>(record("1.2.3.4", "bad", "x\r\n6.6.6.6 evil.test")));
    store.hosts().append(std::move(records));
    EXPECT_EQ(formatListFile({ &store.hosts() }, { 0, false }, StatusSaved),
              "1.2.3.4 good also fine #Quillon|1899/12/30|00.00.00|1|0#\r\n");
}

TEST(HostLineGuard, linesWhoseAddressIsNotAnAddressAreNotLoaded)
{
    const RecordList records = parseListText("10.6.6.6\vevil.test ok6.test #Quillon|2026/01/01|00.00.00|1|0#\r\n"
                                             "1.2.3.4#comment named\r\n"
                                             "::1 localhost ip6-localhost\r\n"
                                             "0 waiting  #Quillon|1899/12/30|00.00.00|0|1#\r\n",
                                             -1);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->HostName, "localhost");
    EXPECT_EQ(records[1]->HostName, "waiting");
    EXPECT_EQ(records[1]->IP, "");
}

// A fresh answer may move a public host to another public address, and a
// local one within the local network, but never a public host onto it.
TEST(FreshMoves, aPublicHostNeverMovesOntoTheLocalNetwork)
{
    EXPECT_TRUE(isRefusedMove("203.0.113.10", "192.168.1.1"));
    EXPECT_TRUE(isRefusedMove("203.0.113.10", "100.64.0.1"));
    EXPECT_TRUE(isRefusedMove("203.0.113.10", "169.254.1.1"));
    EXPECT_TRUE(isRefusedMove("203.0.113.10", "127.0.0.1"));
    EXPECT_FALSE(isRefusedMove("203.0.113.10", "198.51.100.1"));
    EXPECT_FALSE(isRefusedMove("10.1.1.1", "192.168.1.2"));
    EXPECT_FALSE(isRefusedMove("192.168.1.1", "203.0.113.10"));
}
