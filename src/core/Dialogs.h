#pragma once
// How the routines talk to the person. The main window implements it with
// real dialogs; tests implement it with a script that answers every question
// and records it. Every box carries the caption "Quillon".

#include <memory>
#include <optional>
#include <string>

namespace quillon::core {

enum class MessageKind {
    QuestionDefaultYes, // Yes, No; question icon; Yes is the default
    QuestionDefaultNo,  // Yes, No; question icon; No is the default
    ThreeWayDefaultNo,  // Yes, No, Cancel; question icon; No is the default; Esc answers Cancel
    Warning,            // OK; exclamation icon: refused input and failures
    Information,        // OK; information icon: results
};

enum class Answer { Ok, Yes, No, Cancel };

// The answer of a box closed without a button: No for a Yes/No question,
// Cancel for the three-way box, OK for a notice.
inline Answer unansweredAnswer(MessageKind kind)
{
    switch (kind) {
    case MessageKind::QuestionDefaultYes:
    case MessageKind::QuestionDefaultNo:
        return Answer::No;
    case MessageKind::ThreeWayDefaultNo:
        return Answer::Cancel;
    case MessageKind::Warning:
    case MessageKind::Information:
        break;
    }
    return Answer::Ok;
}

// The two wordings of the unverifiable-host prompt.
enum class PromptVariant {
    AddOrImport,    // "&Ignore" and "- 'Ignore' to ignore the Host;"
    Reverification, // "&Delete" and "- 'Delete' to send the Host to the Trash;"
};

// One unverifiable-host prompt for one host. Shown again after "Abort
// operation ?" is answered No, it keeps its check box as it was.
class UnverifiablePrompt {
public:
    virtual ~UnverifiablePrompt() = default;
    // Shows the prompt modally; the button pressed: 1, 2 or 3, or 0 when it
    // was closed without one.
    virtual int exec() = 0;
    // "same action for all Hosts that can't be verified"
    virtual bool autoResult() const = 0;
};

// One input dialog, shown in a loop until the caller accepts its text.
class InputDialog {
public:
    virtual ~InputDialog() = default;
    // Shows the dialog modally; true for "&OK", false for "&Cancel" or closing.
    virtual bool exec() = 0;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

// What a long operation shows in the work panel before it starts.
struct WorkPanelSetup {
    std::string action;  // WorkLabelAction
    std::string url;     // WorkLabelURL
    int progress = 0;    // WorkProgressBar, 0 to 100
    std::string percent; // WorkLabelPercent: "0%", or empty without a percentage
    bool cancelEnabled = true;
};

// A file-open or file-save dialog: its title, filter and default suffix.
struct FileDialogOptions {
    std::string title;
    std::string filter;        // as shown: "Hosts List file (*.hst)"
    std::string defaultSuffix; // without the dot: "hst"
    std::string folder;        // where the dialog starts; empty for the usual place
    std::string fileName;      // the name proposed; empty for none
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual Answer ask(const std::string& text, MessageKind kind) = 0;
    virtual std::unique_ptr<UnverifiablePrompt> unverifiablePrompt(const std::string& host,
                                                                   PromptVariant variant) = 0;
    virtual std::unique_ptr<InputDialog> inputDialog(const std::string& caption, const std::string& text) = 0;
    // The chosen existing file, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const FileDialogOptions& options) = 0;
    // The chosen file to write (replacing one was confirmed), or nothing.
    virtual std::optional<std::string> saveFile(const FileDialogOptions& options) = 0;

    // The work panel.
    virtual void showWorkPanel(const WorkPanelSetup& setup) = 0; // starts the animation too
    virtual void hideWorkPanel() = 0;                            // stops the animation too
    virtual bool workPanelVisible() const = 0;
    virtual void setWorkAction(const std::string& text) = 0;
    virtual void setWorkUrl(const std::string& text) = 0;
    virtual void setWorkProgress(int percent) = 0; // the bar and "N%"
    virtual int workProgress() const = 0;
    virtual void setWorkCancelEnabled(bool enabled) = 0;
    // Paints what changed on the work panel: at once the first time after
    // showWorkPanel, before a blocking step; otherwise with the window's next
    // paint, at most about 30 times a second.
    virtual void repaintWorkPanel() = 0;
};

} // namespace quillon::core
