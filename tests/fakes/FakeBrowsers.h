#pragma once
// Doubles of the desktop's browser side: DDE servers answering from a
// table, a window list, a registry and a history of visited pages, all in
// memory. Every conversation, request and program start is logged.

#include "capture/BrowserSystem.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillon::test {

// One browser's DDE server.
struct FakeDdeServer {
    bool running = true;
    std::set<std::string> topics { "WWW_GetWindowInfo", "WWW_Activate", "WWW_OpenURL" };
    // The reply to (topic, item); empty by default.
    std::function<std::string(const std::string& topic, const std::string& item)> reply;
};

class FakeDdeClient final : public platform::DdeClient {
public:
    // Servers by service name in lower case.
    std::map<std::string, FakeDdeServer> servers;
    // Programs that bring up a server when started: path -> service.
    std::map<std::string, std::string> startable;
    // "connect service topic [path]", "request service topic item",
    // "start path", "topic service topic", in order.
    std::vector<std::string> log;

    std::unique_ptr<platform::DdeConversation> connect(const std::string& service, const std::string& topic,
                                                       const std::string& programPath) override;
    // The log lines that begin with prefix.
    std::vector<std::string> logged(const std::string& prefix) const;
};

class FakeWindows final : public platform::TopLevelWindows {
public:
    std::vector<platform::TopLevelWindow> windows;
    int calls = 0;
    std::vector<platform::TopLevelWindow> list() override
    {
        ++calls;
        return windows;
    }
    // A visible window without parent or owner.
    void add(const std::string& title) { windows.push_back({ windows.size() + 1, true, false, false, title }); }
};

class FakeRegistry final : public platform::Registry {
public:
    // Keys and value names as given to set(), compared without letter case.
    void set(platform::RegistryRoot root, const std::string& key, const std::string& name, const std::string& value);
    void addKey(platform::RegistryRoot root, const std::string& key);

    bool keyExists(platform::RegistryRoot root, const std::string& keyPath) override;
    std::optional<std::string> readValue(platform::RegistryRoot root, const std::string& keyPath,
                                         const std::string& valueName) override;

private:
    std::map<std::string, std::map<std::string, std::string>> m_keys;
};

class FakeVisitedUrls final : public platform::VisitedUrls {
public:
    std::vector<std::string> entries;
    void forEach(const std::function<void(std::string_view)>& take) override
    {
        for (const std::string& e : entries)
            take(e);
    }
};

struct FakeBrowsers {
    FakeDdeClient dde;
    FakeWindows windows;
    FakeRegistry registry;
    FakeVisitedUrls visited;
    capture::BrowserSystem system { dde, windows, registry, visited };
};

} // namespace quillon::test
