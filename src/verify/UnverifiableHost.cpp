#include "verify/UnverifiableHost.h"

namespace quillon::verify {

UnverifiableAnswer UnverifiableHostPrompt::ask(const std::string& host)
{
    // A run already being cancelled (the program is asked to end, or a
    // lookup was cut short for it) asks nothing more: the host is left for
    // the abort step, which puts it back.
    if (m_app.state.cancel)
        return UnverifiableAnswer::Abort;
    if (m_remembered == 1 || m_remembered == 2)
        return static_cast<UnverifiableAnswer>(m_remembered);
    const auto prompt = m_app.dialogs.unverifiablePrompt(host, m_variant);
    int button = 0;
    for (;;) {
        button = prompt->exec();
        if (m_app.state.cancel)
            return UnverifiableAnswer::Abort;
        if (button == 1 || button == 2)
            break;
        if (button == 3) {
            if (m_app.dialogs.ask("Abort operation ?", core::MessageKind::QuestionDefaultNo) == core::Answer::Yes) {
                m_app.state.cancel = true;
                break;
            }
        }
        // No to the abort question, or closed without a button: ask again.
    }
    m_remembered = prompt->autoResult() ? button : 0;
    return static_cast<UnverifiableAnswer>(button);
}

} // namespace quillon::verify
