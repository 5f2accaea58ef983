#include "verify/NameResolution.h"

#include "fakes/AppFixture.h"
#include "platform/linux/GlibcResolver.h"

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

using namespace quillon;
using namespace quillon::verify;
using namespace quillon::test;

namespace {
class NameResolutionTest : public AppFixture {};
} // namespace

TEST_F(NameResolutionTest, localhostAnyCase_withoutALookup)
{
    for (const char* name : { "localhost", "LocalHost", "LOCALHOST" })
        EXPECT_EQ(HostToAddress(resolver, name).text, "127.0.0.1");
    EXPECT_EQ(AddressToHost(resolver, "127.0.0.1").text, "LOCALHOST");
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(NameResolutionTest, numericNames_comeBackExactlyAsGiven)
{
    EXPECT_EQ(HostToAddress(resolver, "192.168.001.010").text, "192.168.001.010");
    EXPECT_EQ(HostToAddress(resolver, "10.1").text, "10.1"); // inet_addr's short form
    EXPECT_EQ(HostToAddress(resolver, "0x7f.0.0.1").text, "0x7f.0.0.1");
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(NameResolutionTest, severalAddresses_theFirstCounts)
{
    resolver.names["multi"] = { { { 10, 0, 0, 2 }, { 10, 0, 0, 1 } }, 0 };
    EXPECT_EQ(HostToAddress(resolver, "multi").text, "10.0.0.2");
}

TEST_F(NameResolutionTest, failures_carryTheirNumber_verifyHostGivesEmptyAndResetsTheLight)
{
    resolver.fail("gone", platform::ErrorTryAgain);
    EXPECT_EQ(HostToAddress(resolver, "gone").error, 11002);
    EXPECT_EQ(VerifyHost(app, "gone"), "");
    EXPECT_EQ(shell.activity, (std::vector<int> { core::ActivityVerifying, core::ActivityNone }));
    EXPECT_EQ(state.activity, core::ActivityNone);
}

TEST_F(NameResolutionTest, reverse_noDataIsAnEmptyName_otherErrorsFail)
{
    resolver.reverse["10.0.0.5"] = "five.example";
    resolver.reverseErrors["10.0.0.6"] = platform::ErrorNoData;
    resolver.reverseErrors["10.0.0.7"] = platform::ErrorNoRecovery;
    EXPECT_EQ(AddressToHost(resolver, "10.0.0.5").text, "five.example");
    const Lookup noData = AddressToHost(resolver, "10.0.0.6");
    EXPECT_TRUE(noData.ok());
    EXPECT_EQ(noData.text, "");
    EXPECT_EQ(AddressToHost(resolver, "10.0.0.7").error, 11003);
}

// The real resolver of this machine.
TEST(GlibcResolverTest, localhostNumericNamesAndTheMachinesOwnName)
{
    platform::GlibcResolver real;
    const platform::ForwardAnswer local = real.lookupName("localhost");
    ASSERT_FALSE(local.addresses.empty());
    EXPECT_EQ(local.addresses.front()[0], 127);

    EXPECT_EQ(real.numericAddress("127.1"), (platform::IPv4 { 127, 0, 0, 1 }));
    EXPECT_EQ(real.numericAddress("0x0a.0.0.1"), (platform::IPv4 { 10, 0, 0, 1 }));
    EXPECT_FALSE(real.numericAddress("example.com"));
    EXPECT_FALSE(real.numericAddress("255.255.255.255")); // inet_addr cannot tell it from failure

    const platform::ForwardAnswer none = real.lookupName("no-such-host.invalid");
    EXPECT_TRUE(none.addresses.empty());
    EXPECT_GE(none.error, 11001);
    EXPECT_LE(none.error, 11004);

    const std::string own = real.localHostName();
    ASSERT_FALSE(own.empty());
    const platform::ForwardAnswer self = real.lookupName(own);
    if (self.addresses.empty()) {
        // A machine set up without its own name in /etc/hosts or DNS.
        EXPECT_GE(self.error, 11001);
        GTEST_SKIP() << "this machine's name '" << own << "' does not resolve here";
    }
    // The first address is one the system gives for the name, asked in
    // another way.
    addrinfo hints {};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    ASSERT_EQ(::getaddrinfo(own.c_str(), nullptr, &hints, &found), 0);
    bool listed = false;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        listed |= std::memcmp(&in->sin_addr, self.addresses.front().data(), 4) == 0;
    }
    ::freeaddrinfo(found);
    EXPECT_TRUE(listed) << own;
}

// glibc answers HOST_NOT_FOUND for an address without a PTR record: that is
// an empty name, not a failure.
TEST(GlibcResolverErrors, reverseLookupWithoutANameRecord_isNoData)
{
    EXPECT_EQ(platform::reverseLookupError(HOST_NOT_FOUND), platform::ErrorNoData);
    EXPECT_EQ(platform::reverseLookupError(NO_DATA), platform::ErrorNoData);
    EXPECT_EQ(platform::reverseLookupError(TRY_AGAIN), platform::ErrorTryAgain);
    EXPECT_EQ(platform::reverseLookupError(NO_RECOVERY), platform::ErrorNoRecovery);
}

// Addresses no name may have are no answer, for every lookup that can reach
// the hosts file on its own: a blocker's 0.0.0.0, a rebinding 127.0.0.1,
// multicast, reserved and broadcast. Loopback stays for the localhost
// family, and the address tool sees every answer as given.
TEST_F(NameResolutionTest, addressesNoNameMayHave_areNoAnswer)
{
    for (const platform::IPv4& refused : std::vector<platform::IPv4> {
             { 0, 0, 0, 0 }, { 0, 1, 2, 3 }, { 127, 0, 0, 1 }, { 127, 8, 8, 8 }, { 224, 0, 0, 1 },
             { 239, 1, 1, 1 }, { 240, 0, 0, 1 }, { 255, 255, 255, 255 } }) {
        resolver.names["blocked.test"] = { { refused }, 0 };
        const Lookup lookup = HostToAddress(resolver, "blocked.test");
        EXPECT_EQ(lookup.error, platform::ErrorNoData) << lookup.text;
        EXPECT_EQ(VerifyHost(app, "blocked.test"), "");
        EXPECT_EQ(HostToAddress(resolver, "blocked.test", AnswerRule::AsAnswered).error, 0);
    }
    // The refused ones are passed over, not the whole answer.
    resolver.names["mixed.test"] = { { { 127, 0, 0, 1 }, { 203, 0, 113, 7 } }, 0 };
    EXPECT_EQ(HostToAddress(resolver, "mixed.test").text, "203.0.113.7");
    // Ordinary, private and shared addresses are answers.
    resolver.names["nas.test"] = { { { 192, 168, 1, 5 } }, 0 };
    EXPECT_EQ(HostToAddress(resolver, "nas.test").text, "192.168.1.5");
    for (const char* name : { "localhost.localdomain", "ip6-localhost", "app.localhost", "localhost4" }) {
        resolver.names[name] = { { { 127, 0, 0, 1 } }, 0 };
        EXPECT_EQ(HostToAddress(resolver, name).text, "127.0.0.1") << name;
    }
}
