#pragma once
// A modal window of fixed size with a close box only, centred on the screen
// each time it is shown: the frame of Options, About and Legend.

#include <QDialog>

class QPushButton;

namespace quillon::ui {

// Moves a window so that its frame is centred on its screen's free area.
void centreOnScreen(QWidget& window);

// A push button with its object name and caption that does not take Enter
// for itself (only a dialog's default button answers Enter).
QPushButton* namedButton(QWidget* parent, const char* name, const char* caption);

class FixedDialog : public QDialog {
    Q_OBJECT

public:
    explicit FixedDialog(QWidget* parent = nullptr);

protected:
    // Fixes the size the layout asks for, no smaller than the design size.
    void fixSize(int designWidth, int designHeight);
    void showEvent(QShowEvent* event) override;
};

} // namespace quillon::ui
