#pragma once
// The person's dialogs once the program is asked to end from outside (a
// termination signal, the session ending): nothing may be left waiting for
// an answer that nobody will give. While ProgramState::ending is set, no new
// dialog is shown, and a dialog that was open when the request came (the
// window closes it) counts as unanswered: a question answers No (Cancel for
// the three-way box), the unverifiable-host prompt answers with no button,
// and input and file dialogs are cancelled. Notices that would have been
// shown go to the sink instead (standard error), so that a failure of the
// exit save is still told.
//
// Everything else, the work panel included, passes through to the dialogs
// it wraps, which must outlive this object, as must the state.

#include "core/Dialogs.h"
#include "core/ProgramState.h"

#include <functional>

namespace quillon::core {

class EndingAwareDialogs final : public Dialogs {
public:
    using Sink = std::function<void(const std::string&)>;

    EndingAwareDialogs(Dialogs& inner, const ProgramState& state, Sink sink);

    Answer ask(const std::string& text, MessageKind kind) override;
    std::unique_ptr<UnverifiablePrompt> unverifiablePrompt(const std::string& host, PromptVariant variant) override;
    std::unique_ptr<InputDialog> inputDialog(const std::string& caption, const std::string& text) override;
    std::optional<std::string> openFile(const FileDialogOptions& options) override;
    std::optional<std::string> saveFile(const FileDialogOptions& options) override;

    void showWorkPanel(const WorkPanelSetup& setup) override { m_inner.showWorkPanel(setup); }
    void hideWorkPanel() override { m_inner.hideWorkPanel(); }
    bool workPanelVisible() const override { return m_inner.workPanelVisible(); }
    void setWorkAction(const std::string& text) override { m_inner.setWorkAction(text); }
    void setWorkUrl(const std::string& text) override { m_inner.setWorkUrl(text); }
    void setWorkProgress(int percent) override { m_inner.setWorkProgress(percent); }
    int workProgress() const override { return m_inner.workProgress(); }
    void setWorkCancelEnabled(bool enabled) override { m_inner.setWorkCancelEnabled(enabled); }
    void repaintWorkPanel() override { m_inner.repaintWorkPanel(); }

private:
    Dialogs& m_inner;
    const ProgramState& m_state;
    Sink m_sink;
};

} // namespace quillon::core
