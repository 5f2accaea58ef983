#pragma once
// core::Dialogs with real widgets: message boxes, the unverifiable-host
// prompt and the input dialog over the given parent window, and the work
// panel of that window. Text from the logic is converted in the local 8-bit
// encoding. Both the parent and the panel must outlive this object; the
// prompts and input dialogs it hands out may be kept no longer than the
// parent, but survive it safely.

#include "core/Dialogs.h"

class QWidget;

namespace quillon::ui {

class WorkPanel;

class WidgetDialogs final : public core::Dialogs {
public:
    WidgetDialogs(QWidget* parent, WorkPanel& panel);

    core::Answer ask(const std::string& text, core::MessageKind kind) override;
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string& host,
                                                                 core::PromptVariant variant) override;
    std::unique_ptr<core::InputDialog> inputDialog(const std::string& caption, const std::string& text) override;
    std::optional<std::string> openFile(const core::FileDialogOptions& options) override;
    std::optional<std::string> saveFile(const core::FileDialogOptions& options) override;

    void showWorkPanel(const core::WorkPanelSetup& setup) override;
    void hideWorkPanel() override;
    bool workPanelVisible() const override;
    void setWorkAction(const std::string& text) override;
    void setWorkUrl(const std::string& text) override;
    void setWorkProgress(int percent) override;
    int workProgress() const override;
    void setWorkCancelEnabled(bool enabled) override;
    void repaintWorkPanel() override;

private:
    QWidget* m_parent;
    WorkPanel& m_panel;
};

} // namespace quillon::ui
