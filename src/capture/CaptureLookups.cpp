#include "capture/CaptureLookups.h"

#include "capture/Admission.h"
#include "core/Interface.h"

namespace quillon::capture {

CaptureLookups::CaptureLookups(std::shared_ptr<platform::AsyncResolver> lookups)
    : m_asked([lookups = std::move(lookups)](const std::string& name, core::AnswerQueue<verify::Lookup>::Answered answered) {
        verify::askHostToAddress(*lookups, name, std::move(answered));
    })
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
    if (std::optional<verify::Lookup> known = verify::answeredAtOnce(app.resolver, name))
        m_asked.answerNow(name, *std::move(known));
    else
        m_asked.ask(name, app.state.settings.LookAhead);
    if (m_asked.size() == 1)
        core::setActivityIndicator(app, core::ActivityVerifying);
}

void CaptureLookups::applyAnswers(core::App& app)
{
    if (m_asked.empty())
        return;
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
