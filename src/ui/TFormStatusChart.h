#pragma once
// TFormStatusChart, "Legend": what the list icons and the activity light
// mean. Two raised panels: the host statuses with their row icons, and the
// activity indicator values with the status-bar and tray pictures.

#include "ui/FixedDialog.h"

namespace quillon::ui {

class TFormStatusChart final : public FixedDialog {
    Q_OBJECT

public:
    explicit TFormStatusChart(QWidget* parent = nullptr);
};

} // namespace quillon::ui
