#pragma once
// The report view of one list: grid lines, whole rows, several rows
// selectable, read-only, the selection still drawn when the view loses
// focus, rows of one fixed height (so a list of 150,000 hosts scrolls and
// selects at once). It reports the Delete key, header clicks and requests
// for the pop-up menu; the window decides what they do.

#include <QTableView>
#include <QTimer>

#include <utility>
#include <vector>

namespace quillon::ui {

class HostListView final : public QTableView {
    Q_OBJECT

public:
    explicit HostListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Selected rows, ascending.
    std::vector<int> selectedRowNumbers() const;
    // Read from the selection's ranges, not row by row.
    int selectedRowCount() const;
    // Sizes the columns to their header and the texts of the rows in sight
    // (never all of a long list). Done when rows arrive in an empty list, a
    // moment after rows arrive in a list that has some (many arrivals in a
    // row fit once), and when the view is shown after its rows changed.
    void fitColumns();

signals:
    void deletePressed();
    void headerClicked(int column);
    void popupRequested(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The selected rows as ascending runs of neighbours, first and last row.
    std::vector<std::pair<int, int>> selectedRuns() const;

    bool m_wasEmpty = true;
    bool m_changedSinceFit = false;
    QTimer m_fitSoon;
};

} // namespace quillon::ui
