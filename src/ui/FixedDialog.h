#pragma once
// A modal window of fixed size with a close box only, centred on the screen
// each time it is shown: the frame of Options, About and Legend.

#include <QDialog>

namespace quillon::ui {

// Moves a window so that its frame is centred on its screen's free area.
void centreOnScreen(QWidget& window);

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
