#pragma once
// Look-ahead resolution for a run that resolves names in order: while the
// run handles one host, the questions for the hosts after it are already on
// their way.
//
// A run hands over its names in order (an empty name is never looked up).
// Up to `inFlight` questions are on their way at once, through an ask
// function that hands a name over and is answered later on any thread (an
// asynchronous resolver: no thread waits for a question); each answer sends
// the next name. Finished answers wait, in any number, until the run takes
// them, strictly in its own order, on its own thread; so every list change,
// prompt and progress text happens as it would without look-ahead. A name
// that stands twice in a run is asked once. With no look-ahead, take() looks
// the name up on the calling thread, exactly as a run without it does.
//
// Ending: the destructor (Cancel, Abort, the end of the run, the program
// ending) discards every answer not taken and asks nothing more. An answer
// still on its way goes nowhere; what the ask function calls must outlive
// it (shared, or living for the program).

#include "core/AnswerQueue.h"
#include "core/App.h"
#include "verify/NameResolution.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::verify {

class LookAhead {
public:
    using LookupFunction = std::function<Lookup(const std::string&)>;
    using AskFunction = core::AnswerQueue<Lookup>::Ask;
    // The answer of a name known without asking; nothing when it must be asked.
    using KnownFunction = std::function<std::optional<Lookup>(const std::string&)>;

    // inFlight: how many questions may be on their way through ask; 0 looks
    // each name up with lookup on the calling thread when it is taken.
    LookAhead(std::vector<std::string> names, int inFlight, AskFunction ask, LookupFunction lookup,
              const KnownFunction& known = {});
    LookAhead(LookAhead&&) noexcept = default;
    LookAhead& operator=(LookAhead&&) = delete;
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The answer for name, the run's name at position, waiting for it in
    // slices while handleEvents handles the window's events; nothing when
    // giveUp, asked after each slice, ends the wait first. A name that was
    // not handed over for that position is looked up here and now.
    std::optional<Lookup> take(std::size_t position, const std::string& name,
                               const std::function<void()>& handleEvents, const std::function<bool()>& giveUp);

    // An ask function for lookups that have no asynchronous form (the
    // address tool's reverse lookups): each on a worker thread of its own
    // (core::runDetached), or on the calling thread when none can be had.
    static AskFunction onWorkerThreads(LookupFunction lookup);

private:
    static constexpr std::size_t NotAsked = static_cast<std::size_t>(-1);

    std::vector<std::string> m_names;
    LookupFunction m_lookup;
    // Per position, the distinct name's place in the order asked; NotAsked
    // for empty names and without look-ahead.
    std::vector<std::size_t> m_slotOf;
    // The distinct names' answers taken from the queue so far, in order.
    std::vector<Lookup> m_answers;
    std::unique_ptr<core::AnswerQueue<Lookup>> m_queue;
};

// The run's forward look-ahead: HostToAddress for each name, with up to the
// LookAhead setting's number of questions on their way through app.lookups;
// or one name at a time on the calling thread when that setting is 1 or
// there is no app.lookups.
LookAhead lookAheadForNames(core::App& app, std::vector<std::string> names);

// VerifyHost for name, at position of a run: the activity indicator shows
// "verification in progress" while the run waits for it, and the window's
// events are handled meanwhile. Cancel seen during the wait, or a lookup
// interrupted because the program is ending, leaves the cancel flag set and
// gives the empty text, as an interrupted lookup does.
std::string VerifyHost(core::App& app, LookAhead& ahead, std::size_t position, const std::string& name);

} // namespace quillon::verify
