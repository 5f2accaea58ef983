#pragma once
// DdeClient over the local socket protocol of docs/dde-protocol.md: each
// service listens on a Unix-domain socket named after it in the user's
// runtime folder, and one connection carries one conversation.
//
// Nothing here waits without a bound: connecting, sending and every reply
// wait in poll() for at most the time-out, and a peer that goes away
// raises no SIGPIPE. A conversation whose server broke the protocol, went
// away or left a frame half sent is closed, and answers every later call
// with the empty reply (request) or false (changeTopic).

#include "platform/DdeClient.h"

namespace quillon::platform {

class SocketDdeClient final : public DdeClient {
public:
    // timeoutMs bounds opening a conversation and each topic change; after a
    // start on demand it is also how long the started program has to answer.
    // Tests shorten it.
    explicit SocketDdeClient(int timeoutMs = DdeConversation::RequestTimeoutMs);

    // A folder of sockets that another user owns or may write to is treated
    // as no server at all, and starts nothing. With programPath, the program
    // is started (no arguments, in a session of its own so that it outlives
    // this one, standard streams on /dev/null) when the socket is missing or
    // refuses the connection; the connection is then tried every 50 ms.
    std::unique_ptr<DdeConversation> connect(const std::string& service, const std::string& topic,
                                             const std::string& programPath = {}) override;

private:
    int m_timeoutMs;
};

} // namespace quillon::platform
