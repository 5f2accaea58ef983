#pragma once
// TFormVerify, "Addresses Verification": the address verification tool's
// window. Three tabs take a host name, an address, or an interval of
// addresses; "&Verify" passes the current tab's fields to an AddressTool,
// whose rows ListView1 shows. The window shows what the tool tells it and
// keeps the focus and the address fields' masks; the tool decides.
//
// The address fields are masked (four groups of three optional digits). The
// text each hands over is the octet field text: the twelve digit positions
// without the dots, a blank position a space. The final-address field shows
// the initial address's first three groups as fixed text once the initial
// field is left, so that only its last group can be typed.

#include "verify/AddressTool.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace quillon::ui {
class PageControl;
}

namespace quillon::verify {

class VerifiedRowsModel;

// The twelve digit positions of a masked address field's displayed text
// ("1__.2__.3__.4__" gives "1  2  3  4  "): the dots left out, the blank
// character "_" read as a space. QLineEdit::text() drops the blanks and
// would shift the groups.
QString octetFieldText(const QString& displayText);

class TFormVerify final : public QDialog, private AddressToolView {
    Q_OBJECT

public:
    // MEditIP2's mask before an initial address was given.
    static const QString FinalFieldStartMask;

    explicit TFormVerify(AddressTool& tool, QWidget* parent = nullptr);
    ~TFormVerify() override;

    void ButtonVerifyClick();
    void MEditIP1Exit();
    void ButtonCancelClick();
    void ButtonClearClick();
    void ButtonImportClick();
    void ButtonCloseClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ListView1KeyDown(QKeyEvent* event);
    void resetFinalField();
    static void focusAndSelect(QLineEdit* field, int start, int length);

    // AddressToolView
    void showStatus(const std::string& text) override;
    void showBusy(bool busy) override;
    void showIntervalRunning(bool running) override;
    void processEvents() override;
    void showHostName(const std::string& text) override;
    void rowsAboutToBeInserted(int first, int last) override;
    void rowsInserted() override;
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved() override;

    AddressTool& m_tool;
    VerifiedRowsModel* m_rows;
    ui::PageControl* m_pages;
    QLineEdit* m_hostName;
    QLineEdit* m_address;
    QLineEdit* m_initial;
    QLineEdit* m_final;
    QPushButton* m_verify;
    QPushButton* m_cancel;
    QTableView* m_list;
    QLabel* m_status;
    QLabel* m_idlePicture;
    QLabel* m_busyPicture;
    QPushButton* m_clear;
    QPushButton* m_import;
    QPushButton* m_close;
};

} // namespace quillon::verify
