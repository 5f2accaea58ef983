#pragma once
// The report view of one list: grid lines, whole rows, several rows
// selectable, read-only, the selection still drawn when the view loses
// focus, rows of one fixed height (so a list of 150,000 hosts scrolls and
// selects at once). It reports the Delete key, header clicks and requests
// for the pop-up menu; the window decides what they do.

#include <QTableView>

#include <vector>

namespace quillon::ui {

class HostListView final : public QTableView {
    Q_OBJECT

public:
    explicit HostListView(QWidget* parent = nullptr);

    // Selected rows, ascending.
    std::vector<int> selectedRowNumbers() const;
    int selectedRowCount() const;
    // Sizes the columns to their header and the first rows' texts.
    void fitColumns();

signals:
    void deletePressed();
    void headerClicked(int column);
    void popupRequested(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace quillon::ui
