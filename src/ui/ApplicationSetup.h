#pragma once
// The application-wide settings of the program, made once before its first
// window: its name for the desktop, and that closing the main window sends
// it to the tray rather than ending it. No display name is set: Qt would add
// it to the caption of every other window ("Find Host name — Quillon"), and
// the program's captions stand as they are.

namespace quillon::ui {

void setUpApplication();

} // namespace quillon::ui
