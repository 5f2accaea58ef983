#include "core/EndingAwareDialogs.h"

namespace quillon::core {

namespace {

class EndingAwarePrompt final : public UnverifiablePrompt {
public:
    EndingAwarePrompt(std::unique_ptr<UnverifiablePrompt> inner, const ProgramState& state)
        : m_inner(std::move(inner))
        , m_state(state)
    {
    }
    int exec() override
    {
        if (m_state.ending)
            return 0;
        const int button = m_inner->exec();
        return m_state.ending ? 0 : button;
    }
    bool autoResult() const override { return m_inner->autoResult(); }

private:
    std::unique_ptr<UnverifiablePrompt> m_inner;
    const ProgramState& m_state;
};

class EndingAwareInput final : public InputDialog {
public:
    EndingAwareInput(std::unique_ptr<InputDialog> inner, const ProgramState& state)
        : m_inner(std::move(inner))
        , m_state(state)
    {
    }
    bool exec() override { return !m_state.ending && m_inner->exec() && !m_state.ending; }
    std::string text() const override { return m_inner->text(); }
    void setText(const std::string& text) override { m_inner->setText(text); }

private:
    std::unique_ptr<InputDialog> m_inner;
    const ProgramState& m_state;
};

} // namespace

EndingAwareDialogs::EndingAwareDialogs(Dialogs& inner, const ProgramState& state, Sink sink)
    : m_inner(inner)
    , m_state(state)
    , m_sink(std::move(sink))
{
}

Answer EndingAwareDialogs::ask(const std::string& text, MessageKind kind)
{
    if (!m_state.ending) {
        const Answer answer = m_inner.ask(text, kind);
        if (!m_state.ending)
            return answer;
    } else if ((kind == MessageKind::Warning || kind == MessageKind::Information) && m_sink) {
        m_sink(text);
    }
    return unansweredAnswer(kind);
}

std::unique_ptr<UnverifiablePrompt> EndingAwareDialogs::unverifiablePrompt(const std::string& host,
                                                                           PromptVariant variant)
{
    return std::make_unique<EndingAwarePrompt>(m_inner.unverifiablePrompt(host, variant), m_state);
}

std::unique_ptr<InputDialog> EndingAwareDialogs::inputDialog(const std::string& caption, const std::string& text)
{
    return std::make_unique<EndingAwareInput>(m_inner.inputDialog(caption, text), m_state);
}

std::optional<std::string> EndingAwareDialogs::openFile(const FileDialogOptions& options)
{
    if (m_state.ending)
        return std::nullopt;
    auto path = m_inner.openFile(options);
    return m_state.ending ? std::nullopt : path;
}

std::optional<std::string> EndingAwareDialogs::saveFile(const FileDialogOptions& options)
{
    if (m_state.ending)
        return std::nullopt;
    auto path = m_inner.saveFile(options);
    return m_state.ending ? std::nullopt : path;
}

} // namespace quillon::core
