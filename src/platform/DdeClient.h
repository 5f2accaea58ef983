#pragma once
// Conversations with other programs' DDE servers (the browsers): a
// conversation is opened for a service and a topic, carries text requests
// for items, each answered within a time-out, and can change its topic. On
// Linux it is the local socket protocol of docs/dde-protocol.md.

#include <memory>
#include <string>

namespace quillon::platform {

class DdeConversation {
public:
    // How long a request waits for its reply.
    static constexpr int RequestTimeoutMs = 10000;
    // A longer reply, or one that is not text, counts as no reply.
    static constexpr std::size_t MaxReplyBytes = 64 * 1024;

    virtual ~DdeConversation() = default;
    // The server's text reply to a request for item; the empty text when no
    // reply came within timeoutMs, the server refused the request or went
    // away, or the reply was not text or longer than MaxReplyBytes.
    virtual std::string request(const std::string& item, int timeoutMs = RequestTimeoutMs) = 0;
    // Closes the link to the current topic and opens one to topic with the
    // same server; false when the server refused it or is gone.
    virtual bool changeTopic(const std::string& topic) = 0;
};

class DdeClient {
public:
    virtual ~DdeClient() = default;
    // Opens a conversation with service (letter case ignored) on topic;
    // nothing when no server answers or the server refuses the topic. With a
    // programPath, a service that does not answer is started from that path
    // and tried once more within the request time-out.
    virtual std::unique_ptr<DdeConversation> connect(const std::string& service, const std::string& topic,
                                                     const std::string& programPath = {})
        = 0;
};

} // namespace quillon::platform
