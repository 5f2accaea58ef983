#include "platform/linux/PollLoop.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace quillon::platform {

PollLoop::PollLoop(std::unique_ptr<Protocol> protocol)
    : m_state(std::make_shared<State>())
{
    m_state->protocol = std::move(protocol);
    m_state->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

PollLoop::~PollLoop()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake();
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        m_thread.detach();
        return;
    }
    m_thread.join();
}

PollLoop::State::~State()
{
    // Questions posted with no thread to take them.
    for (Question& q : inbox)
        q.answered({ {}, ErrorInterrupted });
    if (wakeFd >= 0)
        ::close(wakeFd);
}

void PollLoop::post(Question question)
{
    State& s = *m_state;
    int refusal = 0;
    {
        const std::lock_guard lock(s.mutex);
        if (s.stopping) {
            refusal = ErrorInterrupted;
        } else if (s.wakeFd < 0) {
            refusal = ErrorTryAgain;
        } else {
            if (!m_thread.joinable()) {
                try {
                    m_thread = std::thread([state = m_state] { run(*state); });
                } catch (const std::system_error&) {
                    refusal = ErrorTryAgain;
                }
            }
            if (refusal == 0)
                s.inbox.push_back(std::move(question));
        }
    }
    // Answered outside the lock: the answer may well post the next question.
    if (refusal != 0) {
        question.answered({ {}, refusal });
        return;
    }
    s.wake();
}

void PollLoop::State::wake()
{
    if (wakeFd < 0)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
}

void PollLoop::run(State& state)
{
    std::vector<pollfd> fds;
    for (;;) {
        // The wake-up is read before the inbox is, so that a question posted
        // in between wakes the next poll rather than being left for later.
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(state.wakeFd, &count, sizeof count);
        std::vector<Question> taken;
        bool stopping = false;
        {
            const std::lock_guard lock(state.mutex);
            taken.swap(state.inbox);
            stopping = state.stopping;
        }
        if (stopping) {
            for (Question& q : taken)
                q.answered({ {}, ErrorInterrupted });
            state.protocol->stop();
            return;
        }
        for (Question& q : taken)
            state.protocol->start(std::move(q));

        fds.assign(1, pollfd { state.wakeFd, POLLIN, 0 });
        const int timeout = state.protocol->watch(fds);
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            for (pollfd& fd : fds)
                fd.revents = 0; // nothing known to be ready; time-outs still run
        state.protocol->handle(fds.data() + 1, fds.size() - 1);
    }
}

} // namespace quillon::platform
