#include "platform/linux/InterruptibleResolver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <unistd.h>

using namespace quillon::platform;

namespace {

// A resolver whose forward lookups block until the test releases them, and
// which says when a lookup has finished.
class HeldResolver final : public Resolver {
public:
    std::promise<void> release;
    std::shared_future<void> released { release.get_future().share() };
    std::promise<void> finished;

    std::optional<IPv4> numericAddress(const std::string&) override { return std::nullopt; }
    ForwardAnswer lookupName(const std::string&) override
    {
        released.wait();
        finished.set_value();
        return { { IPv4 { 10, 0, 0, 1 } }, 0 };
    }
    ReverseAnswer lookupAddress(const IPv4&) override { return { std::string("named.example"), 0 }; }
    std::string localHostName() override { return "me"; }
};

struct Pipe {
    int fds[2] = { -1, -1 };
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0); }
    ~Pipe()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

} // namespace

TEST(InterruptibleResolver, answersPassThroughWhileNothingInterrupts)
{
    auto inner = std::make_shared<HeldResolver>();
    Pipe signal;
    InterruptibleResolver resolver(inner, signal.fds[0]);
    inner->release.set_value();
    const ForwardAnswer forward = resolver.lookupName("a.example");
    ASSERT_EQ(forward.addresses.size(), 1u);
    EXPECT_EQ(forward.addresses[0], (IPv4 { 10, 0, 0, 1 }));
    EXPECT_EQ(resolver.lookupAddress({ 10, 0, 0, 1 }).name, "named.example");
    EXPECT_EQ(resolver.localHostName(), "me");
}

// A lookup that hangs is given up as soon as the descriptor is readable;
// its thread finishes later, once the system answers.
TEST(InterruptibleResolver, hangingLookup_isGivenUpWhenTheProgramIsAskedToEnd)
{
    auto inner = std::make_shared<HeldResolver>();
    auto finished = inner->finished.get_future();
    Pipe signal;
    InterruptibleResolver resolver(inner, signal.fds[0]);
    const char byte = 1;
    ASSERT_EQ(::write(signal.fds[1], &byte, 1), 1);

    const ForwardAnswer forward = resolver.lookupName("hangs.example");
    EXPECT_TRUE(forward.addresses.empty());
    EXPECT_EQ(forward.error, ErrorInterrupted);
    EXPECT_EQ(finished.wait_for(std::chrono::seconds(0)), std::future_status::timeout); // still hanging

    inner->release.set_value();
    finished.wait();
}
