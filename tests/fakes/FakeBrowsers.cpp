#include "fakes/FakeBrowsers.h"

#include "core/HostName.h"

namespace quillon::test {

namespace {

class FakeConversation final : public platform::DdeConversation {
public:
    FakeConversation(FakeDdeClient& client, std::string service, std::string topic)
        : m_client(client)
        , m_service(std::move(service))
        , m_topic(std::move(topic))
    {
    }
    std::string request(const std::string& item, int) override
    {
        m_client.log.push_back("request " + m_service + " " + m_topic + " " + item);
        const FakeDdeServer& server = m_client.servers.at(m_service);
        return server.reply ? server.reply(m_topic, item) : std::string();
    }
    bool changeTopic(const std::string& topic) override
    {
        m_client.log.push_back("topic " + m_service + " " + topic);
        if (!m_client.servers.at(m_service).topics.count(topic))
            return false;
        m_topic = topic;
        return true;
    }

private:
    FakeDdeClient& m_client;
    std::string m_service;
    std::string m_topic;
};

} // namespace

std::unique_ptr<platform::DdeConversation> FakeDdeClient::connect(const std::string& service,
                                                                  const std::string& topic,
                                                                  const std::string& programPath)
{
    const std::string name = core::toLowerAscii(service);
    log.push_back("connect " + name + " " + topic + (programPath.empty() ? "" : " " + programPath));
    auto server = servers.find(name);
    if ((server == servers.end() || !server->second.running) && !programPath.empty()) {
        log.push_back("start " + programPath);
        if (const auto s = startable.find(programPath); s != startable.end() && s->second == name) {
            servers[name].running = true;
            server = servers.find(name);
        }
    }
    if (server == servers.end() || !server->second.running || !server->second.topics.count(topic))
        return nullptr;
    return std::make_unique<FakeConversation>(*this, name, topic);
}

std::vector<std::string> FakeDdeClient::logged(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& line : log)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

namespace {
std::string keyName(platform::RegistryRoot root, const std::string& key)
{
    return (root == platform::RegistryRoot::LocalMachine ? "hklm" : "hkcu") + core::toLowerAscii(key);
}
} // namespace

void FakeRegistry::set(platform::RegistryRoot root, const std::string& key, const std::string& name,
                       const std::string& value)
{
    m_keys[keyName(root, key)][core::toLowerAscii(name)] = value;
}

void FakeRegistry::addKey(platform::RegistryRoot root, const std::string& key)
{
    m_keys[keyName(root, key)];
}

bool FakeRegistry::keyExists(platform::RegistryRoot root, const std::string& keyPath)
{
    return m_keys.count(keyName(root, keyPath)) > 0;
}

std::optional<std::string> FakeRegistry::readValue(platform::RegistryRoot root, const std::string& keyPath,
                                                   const std::string& valueName)
{
    const auto key = m_keys.find(keyName(root, keyPath));
    if (key == m_keys.end())
        return std::nullopt;
    const auto value = key->second.find(core::toLowerAscii(valueName));
    if (value == key->second.end())
        return std::nullopt;
    return value->second;
}

} // namespace quillon::test
