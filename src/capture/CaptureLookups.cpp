#include "capture/CaptureLookups.h"

#include "capture/Admission.h"
#include "core/Interface.h"

namespace quillon::capture {

// One worker: the captures' names are answered one after the other.
constexpr int CaptureWorkers = 1;

CaptureLookups::CaptureLookups(std::shared_ptr<platform::Resolver> resolver, Starter start)
    : m_asked([resolver = std::move(resolver)](const std::string& name) { return verify::HostToAddress(*resolver, name); },
              std::move(start))
{
}

void CaptureLookups::admit(core::App& app, const std::string& name, bool verifyNow)
{
    if (onVisit)
        onVisit(app, name);
    if (m_asked.holds(name))
        return;
    if (!verifyNow || !CapturedHostNeedsLookup(app.state.store, name)) {
        AdmitCapturedHost(app, name, verifyNow);
        return;
    }
    m_asked.ask(name, CaptureWorkers);
    if (m_asked.size() == 1)
        core::setActivityIndicator(app, core::ActivityVerifying);
}

void CaptureLookups::applyAnswers(core::App& app)
{
    if (m_asked.empty())
        return;
    m_asked.startWorkers(CaptureWorkers);
    // While locked a run or a dialog works on the lists; while ending, the
    // exit save is on its way and nothing new enters.
    if (!app.state.unlocked || app.state.ending)
        return;
    const auto answered = m_asked.takeAnswered();
    for (const auto& [name, answer] : answered) {
        // As VerifyHost reports a lookup cut short because the program is
        // asked to end: the cancel flag is set, and the name did not resolve.
        if (answer.error == platform::ErrorInterrupted)
            app.state.cancel = true;
        AdmitResolvedCapture(app, name, answer.ok() ? answer.text : std::string());
    }
    if (!answered.empty() && m_asked.empty())
        core::setActivityIndicator(app, core::ActivityNone);
}

} // namespace quillon::capture
