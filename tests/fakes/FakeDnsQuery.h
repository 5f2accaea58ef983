#pragma once
// Name servers that answer from a table and note every question, each
// answered at once, before ask() returns. Questions may come from any
// thread; set the table before they may come, and read the questions once
// they are answered. A name not in the table has no answer (NXDOMAIN).

#include "platform/AsyncResolver.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::test {

class FakeDnsQuery final : public platform::AsyncResolver {
public:
    std::map<std::string, std::vector<platform::IPv4>> table;
    std::vector<std::string> asked;

    void ask(const std::string& name, Answered answered) override
    {
        platform::ForwardAnswer answer { {}, platform::ErrorHostNotFound };
        {
            const std::lock_guard lock(m_mutex);
            asked.push_back(name);
            if (const auto it = table.find(name); it != table.end())
                answer = { it->second, 0 };
        }
        answered(std::move(answer));
    }

private:
    std::mutex m_mutex;
};

} // namespace quillon::test
