#pragma once
// The lookups that captured hosts need, made off the window's thread, so that
// a capture tick never waits for a name server (five seconds and more for a
// name whose servers do not answer).
//
// A capture that would resolve its host at once (AdmitCapturedHost with
// verifyNow: a new host, or a waiting one) asks for the lookup instead and is
// admitted when its answer is applied, through AdmitResolvedCapture: the
// host's place is found again by name then, so that a host the person
// deleted, ignored or moved meanwhile is admitted as a capture at that moment
// would be. Until then the capture has changed nothing, and further captures
// of the same name (letter case ignored) are dropped: the one admission
// counts the visit, as the first capture alone would have counted it.
//
// Rules:
// - Every member is called on the owner's thread (the window's).
// - Up to LookAhead names are on their way at once through the asynchronous
//   resolver, in the order asked (LOCALHOST and numeric names are answered
//   without it); its answers hold no program state, only the names and
//   their addresses.
// - Answers are applied in the order asked, and only while the capture ticks
//   may run: the interface unlocked (no verification run, no Options dialog)
//   and the program not ending. Those that arrive meanwhile wait.
// - The activity indicator shows verification while lookups are pending and
//   goes back to none when the last answer has been applied.
// - Destroying the object abandons what is pending: no answer is applied
//   after it, and one still on its way touches only what it shares.

#include "core/AnswerQueue.h"
#include "core/App.h"
#include "platform/AsyncResolver.h"
#include "verify/NameResolution.h"

#include <functional>
#include <memory>
#include <string>

namespace quillon::capture {

class CaptureLookups {
public:
    explicit CaptureLookups(std::shared_ptr<platform::AsyncResolver> lookups);

    // A captured name: AdmitCapturedHost at once when no lookup is needed,
    // else the lookup is asked for and the admission waits for its answer.
    // The visit is told to onVisit first, when set.
    void admit(core::App& app, const std::string& name, bool verifyNow);
    std::function<void(core::App& app, const std::string& name)> onVisit;
    // Admits the captures whose answers have arrived (see the rules).
    void applyAnswers(core::App& app);
    // Whether captures wait for their lookups' answers.
    bool pending() const { return !m_asked.empty(); }

private:
    // The captures waiting for their answers, in the order asked.
    core::AnswerQueue<verify::Lookup> m_asked;
};

} // namespace quillon::capture
