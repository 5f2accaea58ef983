#pragma once
// A list of many distinct hosts, enough for a text of several pieces:
// "host-I.example.test" at 10.<second>.x.y, each with the given status.

#include "core/HostSequence.h"

#include <string>

namespace quillon::test {

inline core::RecordList manyHosts(int count, int second, std::int32_t status)
{
    core::RecordList records;
    for (int i = 0; i < count; ++i) {
        auto r = std::make_unique<core::TRecHost>();
        r->HostName = "host-" + std::to_string(i) + ".example.test";
        r->IP = "10." + std::to_string(second) + "." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
        r->Status = status;
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace quillon::test
