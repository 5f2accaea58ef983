#pragma once
// The one thread of an asynchronous resolver. It takes the questions handed
// to it and waits, all at once, for the descriptors its protocol watches (the
// name servers' sockets, a bus connection): any number of questions are on
// their way without a thread each.
//
// - post() may be called from any thread; the thread starts with the first
//   question. When no thread can be had, the question is answered at once
//   with ErrorTryAgain.
// - The protocol's hooks all run on the loop's thread, one at a time; they
//   never wait (poll does the waiting).
// - Destroying the loop wakes its thread, which answers the questions not
//   yet started with ErrorInterrupted, lets the protocol end the rest
//   (stop()), and is joined: no answer comes from the loop after that.
//   Destroyed on its own thread (an answer let go of the last owner of the
//   resolver), it cannot be joined: the thread ends the same way on its own,
//   on the state it shares with the loop.

#include "platform/AsyncResolver.h"

#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace quillon::platform {

class PollLoop {
public:
    struct Question {
        std::string name;
        AsyncResolver::Answered answered;
    };

    class Protocol {
    public:
        virtual ~Protocol() = default;
        // Sends the question on its way, or answers it.
        virtual void start(Question question) = 0;
        // Adds the descriptors to wait for; returns the longest wait in
        // milliseconds, -1 for none.
        virtual int watch(std::vector<pollfd>& fds) = 0;
        // After the wait, with the descriptors watch() added and their events.
        virtual void handle(const pollfd* fds, std::size_t count) = 0;
        // The loop ends: every question still held is answered.
        virtual void stop() = 0;
    };

    explicit PollLoop(std::unique_ptr<Protocol> protocol);
    ~PollLoop();
    PollLoop(const PollLoop&) = delete;
    PollLoop& operator=(const PollLoop&) = delete;

    void post(Question question);

private:
    // What the loop's thread works on; it outlives the loop when the loop
    // goes on that thread.
    struct State {
        std::unique_ptr<Protocol> protocol; // used on the loop's thread only
        int wakeFd = -1;                     // an eventfd
        std::mutex mutex;
        std::vector<Question> inbox; // under mutex
        bool stopping = false;       // under mutex
        ~State();
        void wake();
    };
    static void run(State& state);

    std::shared_ptr<State> m_state;
    std::thread m_thread; // started under m_state->mutex
};

} // namespace quillon::platform
