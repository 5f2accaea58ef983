#pragma once
// The program's message box: caption "Quillon", a plain-text message and
// one of the five button sets of core::MessageKind. Every question and
// report of the program goes through it.
//
// A Yes/No question can only be answered by Yes or No: Esc is ignored and the
// box has no close button, so a delete confirmation or "Abort operation ?"
// never gets an answer the person did not give. The three-way box takes Esc
// and its close box as Cancel; the one-button boxes take them as OK.

#include "core/Dialogs.h"

#include <QString>

class QWidget;

namespace quillon::ui {

// Shows the box modally over parent (may be null) and returns the answer.
// Should the box end without any button (the application leaving while it
// is open), the answer is the one that changes nothing: No, Cancel or OK.
core::Answer showMessage(QWidget* parent, const QString& text, core::MessageKind kind);

} // namespace quillon::ui
