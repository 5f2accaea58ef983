#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace quillon::test {

namespace {

class ScriptedPrompt final : public core::UnverifiablePrompt {
public:
    ScriptedPrompt(ScriptedDialogs& owner, std::string host, core::PromptVariant variant)
        : m_owner(owner)
        , m_host(std::move(host))
        , m_variant(variant)
    {
    }
    int exec() override
    {
        m_owner.promptedHosts.push_back(m_host);
        m_owner.promptVariants.push_back(m_variant);
        if (m_owner.whileOpen)
            m_owner.whileOpen();
        if (m_owner.promptSteps.empty()) {
            m_owner.unexpected("unexpected prompt for " + m_host);
            return 3;
        }
        const PromptStep step = m_owner.promptSteps.front();
        m_owner.promptSteps.pop_front();
        m_autoResult = step.autoResult;
        return step.button;
    }
    bool autoResult() const override { return m_autoResult; }

private:
    ScriptedDialogs& m_owner;
    std::string m_host;
    core::PromptVariant m_variant;
    bool m_autoResult = false;
};

class ScriptedInput final : public core::InputDialog {
public:
    ScriptedInput(ScriptedDialogs& owner, std::string text)
        : m_owner(owner)
        , m_text(std::move(text))
    {
    }
    bool exec() override
    {
        m_owner.inputShownWith.push_back(m_text);
        if (m_owner.whileOpen)
            m_owner.whileOpen();
        if (m_owner.inputSteps.empty()) {
            m_owner.unexpected("unexpected input dialog");
            return false;
        }
        const InputStep step = m_owner.inputSteps.front();
        m_owner.inputSteps.pop_front();
        if (step.ok)
            m_text = step.text;
        return step.ok;
    }
    std::string text() const override { return m_text; }
    void setText(const std::string& text) override { m_text = text; }

private:
    ScriptedDialogs& m_owner;
    std::string m_text;
};

} // namespace

void ScriptedDialogs::unexpected(const std::string& what)
{
    if (reportUnexpected)
        reportUnexpected(what);
    else
        ADD_FAILURE() << what;
}

std::vector<std::string> ScriptedDialogs::askedTexts() const
{
    std::vector<std::string> out;
    for (const auto& q : asked)
        out.push_back(q.text);
    return out;
}

core::Answer ScriptedDialogs::ask(const std::string& text, core::MessageKind kind)
{
    asked.push_back({ text, kind });
    if (whileOpen)
        whileOpen();
    const bool oneButton = kind == core::MessageKind::Warning || kind == core::MessageKind::Information;
    if (oneButton)
        return core::Answer::Ok;
    if (answers.empty()) {
        unexpected("unexpected question: " + text);
        return core::Answer::No;
    }
    const core::Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::unique_ptr<core::UnverifiablePrompt> ScriptedDialogs::unverifiablePrompt(const std::string& host,
                                                                              core::PromptVariant variant)
{
    return std::make_unique<ScriptedPrompt>(*this, host, variant);
}

std::unique_ptr<core::InputDialog> ScriptedDialogs::inputDialog(const std::string& caption, const std::string& text)
{
    inputCaptions.push_back(caption);
    return std::make_unique<ScriptedInput>(*this, text);
}

std::optional<std::string> ScriptedDialogs::fileAnswer(const core::FileDialogOptions& options)
{
    fileDialogs.push_back(options);
    if (fileAnswers.empty()) {
        unexpected("unexpected file dialog: " + options.title);
        return std::nullopt;
    }
    const std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.empty())
        return std::nullopt;
    return answer;
}

void ScriptedDialogs::showWorkPanel(const core::WorkPanelSetup& setup)
{
    ++workShows;
    m_workVisible = true;
    workActions.push_back(setup.action);
    workUrls.push_back(setup.url);
    m_progress = setup.progress;
    workCancelEnabled = setup.cancelEnabled;
}

void ScriptedDialogs::hideWorkPanel()
{
    ++workHides;
    m_workVisible = false;
}

void ScriptedDialogs::setWorkProgress(int percent)
{
    m_progress = percent;
    workProgressSteps.push_back(percent);
}

void ScriptedDialogs::repaintWorkPanel()
{
    ++repaints;
    if (onRepaint)
        onRepaint();
}

} // namespace quillon::test
