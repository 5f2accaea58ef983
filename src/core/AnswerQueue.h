#pragma once
// Names asked on the window's thread and answered on worker threads, the
// answers taken back on the window's thread in the order asked.
//
// - Up to `workers` threads take the names in order and answer each through
//   the ask function; they hold no program state, only the names, their
//   answers and the ask function, which must be safe to call from any thread.
// - takeAnswered() gives the answers that are there, in the order asked, up
//   to the first name still waiting for its own.
// - When no thread can be had, the names wait; startWorkers() tries again.
// - Destroying the queue abandons what is pending: a worker still waiting for
//   its answer touches only what it shares, and its answer goes nowhere.

#include "core/HostName.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace quillon::core {

template <typename Answer>
class AnswerQueue {
public:
    // Runs a worker's loop on a thread of its own (a detached one unless
    // given); a test may run it at once on the calling thread.
    using Starter = std::function<void(std::function<void()> work)>;
    using Ask = std::function<Answer(const std::string& name)>;

    explicit AnswerQueue(Ask ask, Starter start = {})
        : m_channel(std::make_shared<Channel>())
        , m_start(start ? std::move(start) : Starter([](std::function<void()> work) {
            std::thread(std::move(work)).detach();
        }))
    {
        m_channel->ask = std::move(ask);
    }
    ~AnswerQueue()
    {
        const std::lock_guard lock(m_channel->mutex);
        m_channel->abandoned = true;
        m_channel->queue.clear();
    }
    AnswerQueue(const AnswerQueue&) = delete;
    AnswerQueue& operator=(const AnswerQueue&) = delete;

    // Asks for name's answer, with up to workers threads at work.
    void ask(std::string name, int workers)
    {
        auto request = std::make_shared<Request>();
        request->name = std::move(name);
        m_asked.push_back(request);
        {
            const std::lock_guard lock(m_channel->mutex);
            m_channel->queue.push_back(std::move(request));
        }
        startWorkers(workers);
    }

    // Starts workers, up to workers of them and no more than names wait.
    void startWorkers(int workers)
    {
        for (;;) {
            {
                const std::lock_guard lock(m_channel->mutex);
                if (m_channel->working >= workers || m_channel->working >= static_cast<int>(m_channel->queue.size()))
                    return;
                ++m_channel->working;
            }
            try {
                m_start([channel = m_channel] { answerNames(channel); });
            } catch (const std::system_error&) {
                const std::lock_guard lock(m_channel->mutex);
                --m_channel->working;
                return;
            }
        }
    }

    // The names answered and their answers, in the order asked, up to the
    // first one still waiting; they leave the queue.
    std::vector<std::pair<std::string, Answer>> takeAnswered()
    {
        std::vector<std::pair<std::string, Answer>> answered;
        const std::lock_guard lock(m_channel->mutex);
        auto end = m_asked.begin();
        for (; end != m_asked.end() && (*end)->answer; ++end)
            answered.emplace_back(std::move((*end)->name), std::move(*(*end)->answer));
        m_asked.erase(m_asked.begin(), end);
        return answered;
    }

    // How many names wait for their answers to be taken.
    std::size_t size() const { return m_asked.size(); }
    bool empty() const { return m_asked.empty(); }
    // Whether name (letter case ignored) waits for its answer to be taken.
    bool holds(std::string_view name) const
    {
        return std::any_of(m_asked.begin(), m_asked.end(),
                           [name](const std::shared_ptr<Request>& r) { return equalsIgnoreCase(r->name, name); });
    }

private:
    struct Request {
        std::string name;
        std::optional<Answer> answer; // under Channel::mutex
    };
    // What the owner and the workers share; it outlives either of them.
    struct Channel {
        Ask ask;
        std::mutex mutex;
        std::deque<std::shared_ptr<Request>> queue; // asked, not yet taken by a worker
        int working = 0;                             // workers running
        bool abandoned = false;
    };

    static void answerNames(const std::shared_ptr<Channel>& channel)
    {
        std::unique_lock lock(channel->mutex);
        while (!channel->abandoned && !channel->queue.empty()) {
            const std::shared_ptr<Request> request = std::move(channel->queue.front());
            channel->queue.pop_front();
            lock.unlock();
            Answer answer = channel->ask(request->name);
            lock.lock();
            request->answer = std::move(answer);
        }
        --channel->working;
    }

    std::shared_ptr<Channel> m_channel;
    Starter m_start;
    // The names in the order asked, until their answers are taken.
    std::vector<std::shared_ptr<Request>> m_asked;
};

} // namespace quillon::core
