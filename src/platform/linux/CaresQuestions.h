#pragma once
// The questions of a CaresResolver on its loop's thread: one c-ares channel,
// the sockets it asks the loop to watch, and each question's way through
// the sources in order (see CaresResolver.h).

#include "platform/linux/CaresResolver.h"
#include "platform/linux/HostsTable.h"
#include "platform/linux/PollLoop.h"

#include <ares.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace quillon::platform {

// The classic number (Resolver.h) for a c-ares status.
int caresError(int status);

// How long a question waits for each try, and how many tries, as the C
// library reads them from resolv.conf's "options timeout:N attempts:N"
// (5 s, 2 tries where it says nothing).
struct ResolvTimeouts {
    int timeoutMs = 5000;
    int tries = 2;
};
ResolvTimeouts resolvTimeouts(std::string_view resolvConf);

class CaresQuestions final : public PollLoop::Protocol {
public:
    explicit CaresQuestions(CaresSettings settings);
    ~CaresQuestions() override;
    CaresQuestions(const CaresQuestions&) = delete;
    CaresQuestions& operator=(const CaresQuestions&) = delete;

    void start(PollLoop::Question question) override;
    int watch(std::vector<pollfd>& fds) override;
    void handle(const pollfd* fds, std::size_t count) override;
    void stop() override;

private:
    struct Pending {
        CaresQuestions* owner;
        PollLoop::Question question;
        std::size_t source = 0;           // the next source in m_lookups
        int error = ErrorHostNotFound;    // the last source's failure
    };

    bool open();
    void close();
    // Asks the next source, or answers with the last failure when none is left.
    void next(std::unique_ptr<Pending> pending);
    static void replied(void* arg, int status, int timeouts, unsigned char* reply, int length);
    static void socketState(void* data, ares_socket_t fd, int readable, int writable);

    CaresSettings m_settings;
    HostsTable m_hosts;
    ares_channel m_channel = nullptr;
    std::string m_lookups;          // the sources in order: 'f' hosts file, 'b' DNS
    std::map<int, short> m_sockets; // the channel's, with the events it waits for
    int m_held = 0;                 // questions on the channel
};

} // namespace quillon::platform
