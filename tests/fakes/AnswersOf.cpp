#include "fakes/AnswersOf.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace quillon::test {

namespace {

struct Collected {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<platform::ForwardAnswer>> answers;
    std::size_t count = 0;
};

} // namespace

std::vector<platform::ForwardAnswer> answersOf(platform::AsyncResolver& resolver, const std::vector<std::string>& names)
{
    // Shared with the answers: one that comes after the minute goes nowhere.
    auto collected = std::make_shared<Collected>();
    collected->answers.resize(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        resolver.ask(names[k], [collected, k](platform::ForwardAnswer answer) {
            const std::lock_guard lock(collected->mutex);
            collected->answers[k] = std::move(answer);
            ++collected->count;
            collected->changed.notify_all();
        });
    }
    std::unique_lock lock(collected->mutex);
    collected->changed.wait_for(lock, std::chrono::minutes(1), [&] { return collected->count == names.size(); });
    std::vector<platform::ForwardAnswer> answers;
    for (const auto& answer : collected->answers)
        answers.push_back(answer.value_or(platform::ForwardAnswer {}));
    return answers;
}

std::string answerText(const platform::ForwardAnswer& answer)
{
    std::string out;
    for (const platform::IPv4& x : answer.addresses)
        out += (out.empty() ? "" : " ") + std::to_string(x[0]) + "." + std::to_string(x[1]) + "." + std::to_string(x[2])
            + "." + std::to_string(x[3]);
    return out.empty() ? "error " + std::to_string(answer.error) : out;
}

std::vector<std::string> answerTexts(const std::vector<platform::ForwardAnswer>& answers)
{
    std::vector<std::string> texts;
    for (const platform::ForwardAnswer& answer : answers)
        texts.push_back(answerText(answer));
    return texts;
}

} // namespace quillon::test
