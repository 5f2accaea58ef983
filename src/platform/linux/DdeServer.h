#pragma once
// The server side of the local DDE protocol (docs/dde-protocol.md), for the
// stand-in browser and for tests; it needs no Qt. It listens on one
// service's socket and serves any number of conversations at once.
//
// Single-threaded and never blocking: the owner watches fd() and calls
// handleReady() whenever it is readable (a QSocketNotifier, or poll()). A
// client that sends slowly, or does not read its replies, holds up only its
// own conversation: the server stops reading a connection while a reply to
// it is still on its way. The handlers run inside handleReady().

#include "platform/Status.h"
#include "platform/linux/DdeWire.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quillon::platform {

// What the server sends back for a request.
struct DdeAnswer {
    enum class Kind {
        Text,    // bytes in text format
        Data,    // bytes in a format that is not text
        Refused, // the request is refused
        Silent,  // no answer at all, as from a server that hangs
    };
    Kind kind = Kind::Refused;
    std::string bytes;

    static DdeAnswer text(std::string bytes) { return { Kind::Text, std::move(bytes) }; }
    static DdeAnswer data(std::string bytes) { return { Kind::Data, std::move(bytes) }; }
    static DdeAnswer refused() { return { Kind::Refused, {} }; }
    static DdeAnswer silent() { return { Kind::Silent, {} }; }
};

class DdeServer {
public:
    struct Handlers {
        // Whether to open a link to topic, for a conversation's first topic
        // and for every change of topic. Missing: every topic is refused.
        std::function<bool(const std::string& topic)> acceptTopic;
        // The answer to a request for item on the conversation's open topic.
        // Missing: every request is refused.
        std::function<DdeAnswer(const std::string& topic, const std::string& item)> request;
    };

    DdeServer(std::string service, Handlers handlers);
    // Closes every conversation and removes the socket.
    ~DdeServer();
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    // Makes the folder of sockets (mode 0700) when missing, and listens on
    // the service's socket, replacing one left by a server that has ended.
    // Fails when another server holds the service, or the folder belongs to
    // another user or may be written by others.
    Status listen();
    // Readable whenever handleReady() has work: a client knocking, a request
    // arriving, room for a pending reply. -1 before listen() succeeded.
    int fd() const { return m_epoll.get(); }
    // Does the work that is ready now, without waiting.
    void handleReady();

    const std::string& socketPath() const { return m_path; }
    std::size_t conversationCount() const { return m_connections.size(); }

private:
    struct Connection;

    void acceptConnections();
    void serve(Connection& connection, std::uint32_t events);
    // Answers the frames that have arrived in full, as long as replies go
    // out at once; false when the connection must be closed.
    bool answerFrames(Connection& connection);
    bool flush(Connection& connection);
    void watch(Connection& connection);
    void close(int fd);

    std::string m_service;
    Handlers m_handlers;
    std::string m_path;
    dde::UniqueFd m_lock;
    dde::UniqueFd m_listener;
    dde::UniqueFd m_epoll;
    std::map<int, std::unique_ptr<Connection>> m_connections;
};

} // namespace quillon::platform
