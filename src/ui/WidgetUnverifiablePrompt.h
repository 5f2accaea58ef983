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

    // Shows the dialog modally until one of its buttons is pressed and returns
    // it (1, 2 or 3). Should the application leave while it is open, so that
    // it cannot be shown again, the answer is 3 (abort) rather than an endless
    // round of showings that never wait.
    int exec() override;
    bool autoResult() const override;

    TFormDialog* form() const { return m_form; }

private:
    QPointer<TFormDialog> m_form;
};

} // namespace quillon::ui
