#pragma once
// The computer's address as a test sets it: empty is offline.

#include "platform/DefaultRouteAddress.h"

#include <string>

namespace quillon::test {

class FakeRouteAddress final : public platform::DefaultRouteAddress {
public:
    std::string address;
    std::string sourceAddress() override { return address; }
};

} // namespace quillon::test
