#pragma once
// The person, played from a script: every question is recorded and answered
// with the next scripted answer. A question the script did not expect fails
// the test and is answered No (OK for one-button boxes).

#include "core/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quillon::test {

struct AskedQuestion {
    std::string text;
    core::MessageKind kind;
};

// What one showing of the unverifiable-host prompt does: press a button,
// and tick the check box or not.
struct PromptStep {
    int button;
    bool autoResult = false;
};

// One showing of an input dialog: OK with a text, or Cancel.
struct InputStep {
    bool ok;
    std::string text;
};

class ScriptedDialogs final : public core::Dialogs {
public:
    // Scripts.
    std::deque<core::Answer> answers;
    std::deque<PromptStep> promptSteps;
    std::deque<InputStep> inputSteps;
    // Answers of the file dialogs: a path, or empty for Cancel.
    std::deque<std::string> fileAnswers;
    std::vector<core::FileDialogOptions> fileDialogs;

    // Records.
    std::vector<AskedQuestion> asked;
    std::vector<std::string> promptedHosts; // one entry per showing
    std::vector<core::PromptVariant> promptVariants;
    std::vector<std::string> inputCaptions;  // one per dialog created
    std::vector<std::string> inputShownWith; // the field's text at each showing
    std::vector<std::string> workActions;
    std::vector<std::string> workUrls;
    std::vector<int> workProgressSteps;
    int workShows = 0;
    int workHides = 0;
    int repaints = 0;
    bool workCancelEnabled = false;
    // Called at every repaint of the work panel, e.g. to press Cancel.
    std::function<void()> onRepaint;
    // Called while a question, prompt or input dialog is open, e.g. to stand
    // for a request to end that arrives meanwhile.
    std::function<void()> whileOpen;
    // How a question the script did not expect fails the test; GoogleTest's
    // ADD_FAILURE unless a Qt test sets its own.
    std::function<void(const std::string&)> reportUnexpected;

    std::vector<std::string> askedTexts() const;
    void unexpected(const std::string& what);

    core::Answer ask(const std::string& text, core::MessageKind kind) override;
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string& host,
                                                                 core::PromptVariant variant) override;
    std::unique_ptr<core::InputDialog> inputDialog(const std::string& caption, const std::string& text) override;
    std::optional<std::string> openFile(const core::FileDialogOptions& options) override { return fileAnswer(options); }
    std::optional<std::string> saveFile(const core::FileDialogOptions& options) override { return fileAnswer(options); }

    void showWorkPanel(const core::WorkPanelSetup& setup) override;
    void hideWorkPanel() override;
    bool workPanelVisible() const override { return m_workVisible; }
    void setWorkAction(const std::string& text) override { workActions.push_back(text); }
    void setWorkUrl(const std::string& text) override { workUrls.push_back(text); }
    void setWorkProgress(int percent) override;
    int workProgress() const override { return m_progress; }
    void setWorkCancelEnabled(bool enabled) override { workCancelEnabled = enabled; }
    void repaintWorkPanel() override;

private:
    std::optional<std::string> fileAnswer(const core::FileDialogOptions& options);

    bool m_workVisible = false;
    int m_progress = 0;
};

} // namespace quillon::test
