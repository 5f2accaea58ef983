#pragma once
// Look-ahead resolution for a run that resolves names in order: while the
// run handles one host, the lookups of the hosts after it are already on
// their way.
//
// A run hands over its names in order (an empty name is never looked up).
// Up to `workers` lookups are in flight at a time, on worker threads that
// take the next name not yet asked and return its answer: they hold no
// program state, only the names and the lookup function. Finished answers
// wait, in any number, until the run takes them, strictly in its own order,
// on its own thread; so every list change, prompt and progress text happens
// as it would without look-ahead. A name that stands twice in a run is
// looked up once. With no workers, take() looks the name up on the calling
// thread, exactly as a run without look-ahead does.
//
// Ending: the destructor (Cancel, Abort, the end of the run, the program
// ending) discards every lookup not taken. Workers share the answers' state,
// never the run: a lookup still running finishes on its own thread, and its
// answer goes nowhere. The lookup function must therefore be safe to call
// from any thread, and what it calls must outlive the lookups (see
// core::runDetached).

#include "core/App.h"
#include "verify/NameResolution.h"

#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::verify {

class LookAhead {
public:
    using LookupFunction = std::function<Lookup(const std::string&)>;

    // workers: how many lookups may be in flight; 0 looks each name up on
    // the calling thread when it is taken, with no worker at all.
    LookAhead(std::vector<std::string> names, int workers, LookupFunction lookup);
    ~LookAhead();
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

private:
    struct Shared;
    void startWorkers(int workers);
    // A worker: takes the next name not yet asked until none is left or the
    // run ended, and answers it. Taking k gives this worker alone promise k.
    static void answerNames(const std::shared_ptr<Shared>& shared);

    std::vector<std::string> m_names;
    LookupFunction m_lookup;
    // Per position, the distinct name's answer (positions of one name share
    // it); empty without workers.
    std::vector<std::shared_future<Lookup>> m_answers;
    std::shared_ptr<Shared> m_shared;
};

// The run's forward look-ahead: HostToAddress for each name on up to the
// LookAhead setting's number of workers, or on the calling thread when that
// setting is 1.
LookAhead lookAheadForNames(core::App& app, std::vector<std::string> names);

// VerifyHost for name, at position of a run: the activity indicator shows
// "verification in progress" while the run waits for it, and the window's
// events are handled meanwhile. Cancel seen during the wait, or a lookup
// interrupted because the program is ending, leaves the cancel flag set and
// gives the empty text, as an interrupted lookup does.
std::string VerifyHost(core::App& app, LookAhead& ahead, std::size_t position, const std::string& name);

} // namespace quillon::verify
