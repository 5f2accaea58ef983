#pragma once
// Doubles for the benchmarks: a person who answers at once, a window that
// does nothing, a resolver that answers every name at once, and a computer
// that is always online.

#include "core/App.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace quillon::bench {

// An input dialog that gives its scripted texts once each.
class ScriptedInput final : public core::InputDialog {
public:
    explicit ScriptedInput(std::deque<std::string> texts)
        : m_texts(std::move(texts))
    {
    }
    bool exec() override
    {
        if (m_texts.empty())
            return false;
        m_text = m_texts.front();
        m_texts.pop_front();
        return true;
    }
    std::string text() const override { return m_text; }
    void setText(const std::string& t) override { m_text = t; }

private:
    std::deque<std::string> m_texts;
    std::string m_text;
};

class QuietDialogs final : public core::Dialogs {
public:
    core::Answer ask(const std::string&, core::MessageKind) override { return core::Answer::Yes; }
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string&, core::PromptVariant) override
    {
        return nullptr;
    }
    std::deque<std::string> inputs;
    std::unique_ptr<core::InputDialog> inputDialog(const std::string&, const std::string&) override
    {
        return std::make_unique<ScriptedInput>(std::move(inputs));
    }
    std::optional<std::string> openFile(const core::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const core::FileDialogOptions&) override { return std::nullopt; }
    void showWorkPanel(const core::WorkPanelSetup& s) override
    {
        m_visible = true;
        m_progress = s.progress;
    }
    void hideWorkPanel() override { m_visible = false; }
    bool workPanelVisible() const override { return m_visible; }
    void setWorkAction(const std::string& t) override { m_action = t; }
    void setWorkUrl(const std::string& t) override { m_url = t; }
    void setWorkProgress(int p) override { m_progress = p; }
    int workProgress() const override { return m_progress; }
    void setWorkCancelEnabled(bool) override {}
    void repaintWorkPanel() override { benchmark::DoNotOptimize(m_url.size()); }

private:
    bool m_visible = false;
    int m_progress = 0;
    std::string m_action;
    std::string m_url;
};

class QuietShell final : public core::Shell {
public:
    std::vector<int> rows;
    void setInterfaceUnlocked(bool) override {}
    void setTimerEnabled(core::Timer, bool) override {}
    void showActivity(int) override {}
    void showHostCount() override {}
    int page = 1;
    int currentPage() const override { return page; }
    void setCurrentPage(int p) override { page = p; }
    void processEvents() override {}
    void setStatusPanelText(int, const std::string&) override {}
    std::vector<int> selectedRows(int) const override { return rows; }
    void selectRows(int, const std::vector<int>& r) override { rows = r; }
    void selectCurrentRow(int, int row) override { rows = { row }; }
    void scrollRowToTop(int, int) override {}
    void setBusyCursor(bool) override {}
};

// Every name resolves at once.
class InstantResolver final : public platform::Resolver, public platform::AsyncResolver {
public:
    std::optional<platform::IPv4> numericAddress(const std::string&) override { return std::nullopt; }
    platform::ForwardAnswer lookupName(const std::string&) override { return { { { 10, 1, 2, 3 } }, 0 }; }
    void ask(const std::string& name, Answered answered) override { answered(lookupName(name)); }
    platform::ReverseAnswer lookupAddress(const platform::IPv4&) override { return {}; }
    std::string localHostName() override { return "bench"; }
};

class Online final : public core::ConnectionStatus {
public:
    bool isOnline() const override { return true; }
};

} // namespace quillon::bench
