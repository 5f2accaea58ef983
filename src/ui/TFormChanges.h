#pragma once
// "Hosts File Changes": the change log newest first with a filter on the
// name and the count shown, and the two buttons that put back a hosts file
// the replace kept. The window holds no rules of its own: reading the log,
// whether a copy is there and putting it back are given to it.

#include "core/ChangeLog.h"
#include "core/DateTimeText.h"
#include "core/HostsFile.h"
#include "core/Outcome.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace quillon::ui {

class ChangeLogModel;

struct HostsChangesActions {
    // Fills the entries; a log that cannot be read fails with the reason,
    // which the window shows above the list.
    std::function<core::Outcome(std::vector<core::ChangeEntry>&)> readLog;
    std::function<bool(core::KeptHostsCopy)> copyExists;
    std::function<bool(core::KeptHostsCopy)> restore; // true when the copy was put back
};

class TFormChanges final : public QDialog {
    Q_OBJECT

public:
    // Dates show as dateText writes them, as in the lists; it must outlive
    // the window.
    TFormChanges(HostsChangesActions actions, const core::DateTimeText& dateText, QWidget* parent = nullptr);

private:
    void reload();
    void showCount();
    void restore(core::KeptHostsCopy copy);

    HostsChangesActions m_actions;
    ChangeLogModel* m_model = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_logError = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_restoreOriginal = nullptr;
    QPushButton* m_restorePrevious = nullptr;
};

} // namespace quillon::ui
