#pragma once
// The one-line input dialog: a text field, "&OK" (the default button, Enter)
// and "&Cancel" (Esc). The caller sets the caption and the text and reads the
// text back after OK; the dialog does not check it. The close box is Cancel.
// It opens centred over its parent window.

#include <QDialog>

class QLineEdit;

namespace quillon::ui {

class TFormInput final : public QDialog {
    Q_OBJECT

public:
    explicit TFormInput(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

protected:
    // Placed before it is shown, so that Qt's own placing of dialogs and the
    // window manager see the same place at every showing.
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;

private:
    void centreOverParent();

    QLineEdit* m_edit = nullptr;
};

} // namespace quillon::ui
