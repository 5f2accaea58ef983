#pragma once
// The unverifiable-host prompt: a warning, the host name and three buttons
// (1 "&Ignore" or "&Delete", 2 "&Wait", 3 "&Abort"), plus the check box that
// makes the answer stand for the rest of the run.
//
// The dialog has no close box, no default and no cancel button, and Esc does
// nothing: it waits for one of its buttons. The chosen button is 0 until a
// button sets it and closes the dialog; a close that reaches it another way
// (a window manager's own close command) leaves it at 0.

#include "core/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quillon::ui {

class TFormDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TFormDialog(QWidget* parent = nullptr);

    void setHost(const QString& host);
    void setVariant(core::PromptVariant variant);

    // 0 while no button was pressed, else 1, 2 or 3.
    int chosenButton() const { return m_chosen; }
    // Back to 0 before the dialog is shown again.
    void resetChosenButton() { m_chosen = 0; }
    // "same action for all Hosts that can't be verified"
    bool autoResult() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Centred before it is shown: the same place at every showing.
    void setVisible(bool visible) override;

private:
    void choose(int button);

    int m_chosen = 0;
    QLabel* m_label1 = nullptr;
    QLabel* m_labelUrl = nullptr;
    QPushButton* m_button1 = nullptr;
    QCheckBox* m_autoResult = nullptr;
};

} // namespace quillon::ui
