// A DDE server for the client tests' start on demand, started through a
// script as a browser would be. It serves the service named by its one
// argument: every topic is accepted, and the item "topic" is answered with
// the open topic's name. It ends when its last conversation has closed, or
// after a minute whatever happens, so that a failed test leaves nothing
// running.

#include "platform/linux/DdeServer.h"

#include <chrono>
#include <cstdio>
#include <poll.h>

int main(int argc, char* argv[])
{
    using namespace quillon::platform;
    if (argc != 2) {
        std::fprintf(stderr, "usage: dde_test_server SERVICE\n");
        return 2;
    }
    DdeServer server(argv[1], { [](const std::string&) { return true; },
                                [](const std::string& topic, const std::string& item) {
                                    return item == "topic" ? DdeAnswer::text(topic) : DdeAnswer::refused();
                                } });
    if (const Status listening = server.listen(); !listening) {
        std::fprintf(stderr, "dde_test_server: %s\n", listening.reason().c_str());
        return 1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    bool served = false;
    while (std::chrono::steady_clock::now() < end) {
        pollfd ready { server.fd(), POLLIN, 0 };
        ::poll(&ready, 1, 100);
        server.handleReady();
        if (server.conversationCount() > 0)
            served = true;
        else if (served)
            break;
    }
    return 0;
}
