#include "ui/WidgetDialogs.h"

#include "ui/MessageBoxes.h"
#include "ui/WidgetInputDialog.h"
#include "ui/WidgetUnverifiablePrompt.h"
#include "ui/WorkPanel.h"

#include <QFileDialog>

namespace quillon::ui {

WidgetDialogs::WidgetDialogs(QWidget* parent, WorkPanel& panel)
    : m_parent(parent)
    , m_panel(panel)
{
}

core::Answer WidgetDialogs::ask(const std::string& text, core::MessageKind kind)
{
    return showMessage(m_parent, QString::fromLocal8Bit(text), kind);
}

std::unique_ptr<core::UnverifiablePrompt> WidgetDialogs::unverifiablePrompt(const std::string& host,
                                                                            core::PromptVariant variant)
{
    return std::make_unique<WidgetUnverifiablePrompt>(m_parent, QString::fromLocal8Bit(host), variant);
}

std::unique_ptr<core::InputDialog> WidgetDialogs::inputDialog(const std::string& caption, const std::string& text)
{
    return std::make_unique<WidgetInputDialog>(m_parent, QString::fromLocal8Bit(caption),
                                               QString::fromLocal8Bit(text));
}

namespace {

// The file dialogs: a title, one filter with its default suffix, the start
// folder and proposed name when given, resizable; opening wants an existing
// file, saving an existing folder and asks before replacing a file.
std::optional<std::string> runFileDialog(QWidget* parent, const core::FileDialogOptions& options, bool save)
{
    QFileDialog dialog(parent, QString::fromLocal8Bit(options.title));
    dialog.setNameFilter(QString::fromLocal8Bit(options.filter));
    dialog.setDefaultSuffix(QString::fromLocal8Bit(options.defaultSuffix));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setSizeGripEnabled(true);
    if (!options.folder.empty())
        dialog.setDirectory(QString::fromLocal8Bit(options.folder));
    if (!options.fileName.empty())
        dialog.selectFile(QString::fromLocal8Bit(options.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

} // namespace

std::optional<std::string> WidgetDialogs::openFile(const core::FileDialogOptions& options)
{
    return runFileDialog(m_parent, options, false);
}

std::optional<std::string> WidgetDialogs::saveFile(const core::FileDialogOptions& options)
{
    return runFileDialog(m_parent, options, true);
}

void WidgetDialogs::showWorkPanel(const core::WorkPanelSetup& setup)
{
    m_panel.showPanel(setup);
}

void WidgetDialogs::hideWorkPanel()
{
    m_panel.hidePanel();
}

bool WidgetDialogs::workPanelVisible() const
{
    return m_panel.isShown();
}

void WidgetDialogs::setWorkAction(const std::string& text)
{
    m_panel.setAction(QString::fromLocal8Bit(text));
}

void WidgetDialogs::setWorkUrl(const std::string& text)
{
    m_panel.setUrl(QString::fromLocal8Bit(text));
}

void WidgetDialogs::setWorkProgress(int percent)
{
    m_panel.setProgress(percent);
}

int WidgetDialogs::workProgress() const
{
    return m_panel.progress();
}

void WidgetDialogs::setWorkCancelEnabled(bool enabled)
{
    m_panel.setCancelEnabled(enabled);
}

void WidgetDialogs::repaintWorkPanel()
{
    m_panel.paintChanges();
}

} // namespace quillon::ui
