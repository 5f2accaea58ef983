#pragma once
// A modal window of fixed size with a close box only, centred on the screen
// each time it is shown: the frame of Options, About and Legend.

#include <QDialog>

class QPushButton;

namespace quillon::ui {

// Places a window with the centre of its frame at centre, the same way at
// every showing, also the first, before the window manager has framed it.
void centreOn(QWidget& window, const QPoint& centre);
// The same at the centre of its screen's free area.
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
    // Centred before it is shown: the same place at every showing.
    void setVisible(bool visible) override;
};

} // namespace quillon::ui
