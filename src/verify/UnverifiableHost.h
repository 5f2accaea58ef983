#pragma once
// The one routine for a host that cannot be resolved during a run: the
// three-button prompt, with its answer remembered for the rest of the run
// when "same action for all Hosts that can't be verified" is ticked, and
// "Abort operation ?" behind its third button.

#include "core/App.h"

namespace quillon::verify {

// The answers: button 1 (Delete / Ignore), button 2 (Wait), or Abort
// (confirmed: the cancel flag is set).
enum class UnverifiableAnswer { First = 1, Wait = 2, Abort = 3 };

class UnverifiableHostPrompt {
public:
    UnverifiableHostPrompt(core::App& app, core::PromptVariant variant)
        : m_app(app)
        , m_variant(variant)
    {
    }

    // The answer for host: the remembered one without asking, or the
    // person's.
    UnverifiableAnswer ask(const std::string& host);

private:
    core::App& m_app;
    core::PromptVariant m_variant;
    int m_remembered = 0;
};

} // namespace quillon::verify
