#pragma once
// One input dialog loop, shown with a TFormInput. Text crosses between the
// logic's bytes and Qt's strings in the local 8-bit encoding.
//
// The dialog is a child of the parent window for its stacking and position,
// but belongs to this object: it is deleted here, or already gone if the
// parent went first.

#include "core/Dialogs.h"
#include "ui/TFormInput.h"

#include <QPointer>
#include <QString>

#include <string>

namespace quillon::ui {

class WidgetInputDialog final : public core::InputDialog {
public:
    WidgetInputDialog(QWidget* parent, const QString& caption, const QString& text);
    ~WidgetInputDialog() override;
    WidgetInputDialog(const WidgetInputDialog&) = delete;
    WidgetInputDialog& operator=(const WidgetInputDialog&) = delete;

    bool exec() override;
    std::string text() const override;
    void setText(const std::string& text) override;

    TFormInput* form() const { return m_form; }

private:
    QPointer<TFormInput> m_form;
};

} // namespace quillon::ui
