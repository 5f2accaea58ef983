#pragma once
// Names asked on the owner's thread (the window's) and answered by an
// asynchronous resolver, the answers taken back on the owner's thread in the
// order asked.
//
// - Up to `inFlight` names are on their way at once; each answer that comes
//   in sends the next name waiting, on whatever thread the answer came. The
//   ask function hands a name over and returns: the answer comes once, on
//   any thread, or at once before the ask function returns. It holds no
//   program state, only the names, their answers and what it asks.
// - takeAnswered() gives the answers that are there, in the order asked, up
//   to the first name still waiting for its own; waitForNext() waits for
//   that one's answer, for a slice of time at most.
// - A name whose answer is known without asking (answerNow) keeps its place
//   in the order all the same.
// - Destroying the queue abandons what is pending: no waiting name is asked
//   after it, and an answer still on its way goes nowhere.

#include "core/HostName.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon::core {

template <typename Answer>
class AnswerQueue {
public:
    using Answered = std::function<void(Answer answer)>;
    using Ask = std::function<void(const std::string& name, Answered answered)>;

    explicit AnswerQueue(Ask ask)
        : m_channel(std::make_shared<Channel>())
    {
        m_channel->ask = std::make_shared<const Ask>(std::move(ask));
    }
    ~AnswerQueue()
    {
        // The ask function goes too, so that the answers still on their way
        // do not keep what it holds (the resolver) alive; it goes outside the
        // lock, since the resolver's end waits for answers that take it.
        std::shared_ptr<const Ask> ask;
        const std::lock_guard lock(m_channel->mutex);
        m_channel->abandoned = true;
        m_channel->waiting.clear();
        ask.swap(m_channel->ask);
    }
    AnswerQueue(const AnswerQueue&) = delete;
    AnswerQueue& operator=(const AnswerQueue&) = delete;

    // Asks for name's answer, with up to inFlight names (at least one) on
    // their way at once from now on.
    void ask(std::string name, int inFlight)
    {
        auto request = std::make_shared<Request>();
        request->name = std::move(name);
        m_asked.push_back(request);
        {
            const std::lock_guard lock(m_channel->mutex);
            m_channel->waiting.push_back(std::move(request));
            m_channel->inFlightLimit = std::max(1, inFlight);
        }
        sendWaiting(m_channel);
    }

    // Adds name with its answer, known without asking, in its place.
    void answerNow(std::string name, Answer answer)
    {
        auto request = std::make_shared<Request>();
        request->name = std::move(name);
        request->answer = std::move(answer);
        m_asked.push_back(std::move(request));
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

    // Waits until the first name in the queue has its answer, for longest at
    // most; true when it has (or the queue is empty).
    bool waitForNext(std::chrono::milliseconds longest)
    {
        if (m_asked.empty())
            return true;
        const std::shared_ptr<Request>& first = m_asked.front();
        std::unique_lock lock(m_channel->mutex);
        return m_channel->answeredOne.wait_for(lock, longest, [&first] { return first->answer.has_value(); });
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
        std::optional<Answer> answer; // under Channel::mutex once asked
    };
    // What the owner and the answers on their way share; it outlives either.
    struct Channel {
        std::shared_ptr<const Ask> ask; // none once abandoned
        std::mutex mutex;
        std::condition_variable answeredOne;
        std::deque<std::shared_ptr<Request>> waiting; // not yet asked
        int inFlight = 0;
        int inFlightLimit = 1;
        bool sending = false; // a thread is in sendWaiting's loop
        bool abandoned = false;
    };

    // Asks waiting names while there is room. One thread at a time does it,
    // in a loop rather than by recursion, so that answers that come at once
    // (before ask returns) neither nest nor skip a name.
    static void sendWaiting(const std::shared_ptr<Channel>& channel)
    {
        std::unique_lock lock(channel->mutex);
        if (channel->sending)
            return; // that thread sees the room made, before it stops
        channel->sending = true;
        while (!channel->abandoned && !channel->waiting.empty() && channel->inFlight < channel->inFlightLimit) {
            std::shared_ptr<Request> request = std::move(channel->waiting.front());
            channel->waiting.pop_front();
            ++channel->inFlight;
            std::shared_ptr<const Ask> ask = channel->ask;
            lock.unlock();
            // A copy: once answered, the request may go with its answer.
            const std::string name = request->name;
            (*ask)(name, [channel, request = std::move(request)](Answer answer) {
                {
                    const std::lock_guard answeredLock(channel->mutex);
                    request->answer = std::move(answer);
                    --channel->inFlight;
                }
                channel->answeredOne.notify_all();
                sendWaiting(channel);
            });
            ask.reset(); // perhaps the last hold on the resolver: not under the lock
            lock.lock();
        }
        channel->sending = false;
    }

    std::shared_ptr<Channel> m_channel;
    // The names in the order asked, until their answers are taken.
    std::vector<std::shared_ptr<Request>> m_asked;
};

} // namespace quillon::core
