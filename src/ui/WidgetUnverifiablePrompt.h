#pragma once
// The unverifiable-host prompt of one host, shown with a TFormDialog. The
// same dialog serves every showing, so the check box keeps its state when the
// prompt is shown again after "Abort operation ?" was answered No.
//
// The dialog is a child of the parent window for its stacking, but belongs to
// this object: it is deleted here, or already gone if the parent went first.

#include "core/Dialogs.h"
#include "ui/TFormDialog.h"

#include <QPointer>
#include <QString>

namespace quillon::ui {

class WidgetUnverifiablePrompt final : public core::UnverifiablePrompt {
public:
    WidgetUnverifiablePrompt(QWidget* parent, const QString& host, core::PromptVariant variant);
    ~WidgetUnverifiablePrompt() override;
    WidgetUnverifiablePrompt(const WidgetUnverifiablePrompt&) = delete;
    WidgetUnverifiablePrompt& operator=(const WidgetUnverifiablePrompt&) = delete;

    // Shows the dialog modally once and returns the button pressed (1, 2 or
    // 3), or 0 when it was closed without one; the caller decides whether to
    // show it again.
    int exec() override;
    bool autoResult() const override;

    TFormDialog* form() const { return m_form; }

private:
    QPointer<TFormDialog> m_form;
};

} // namespace quillon::ui
