#pragma once
// TFormIgnoreList, "Hosts to be Ignored": the Ignore list's rows, sorted,
// with Add, Remove and Close. The window shows an IgnoreListEditor and
// passes its buttons to it; Close keeps the rows, the close box drops them.

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace quillon::capture {

class IgnoreListEditor;

class TFormIgnoreList final : public QDialog {
    Q_OBJECT

public:
    TFormIgnoreList(IgnoreListEditor& editor, QWidget* parent = nullptr);

    void ButtonAddHostClick();
    void ButtonRemoveHostClick();
    void ButtonCloseClick();

private:
    void showRows(int current = -1);
    std::vector<int> selectedRows() const;

    IgnoreListEditor& m_editor;
    QTableWidget* m_list;
};

} // namespace quillon::capture
