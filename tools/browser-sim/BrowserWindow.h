#pragma once
// browser-sim's one top-level window: an address line (Enter opens what it
// holds) above a page that shows the current URL as plain text, titled as
// the browser it plays titled its windows.

#include "Browsing.h"

#include <QMainWindow>

class QLineEdit;
class QTextEdit;

namespace quillon::browsersim {

class BrowserWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit BrowserWindow(Role role, QWidget* parent = nullptr);

    // Shows the page for what was typed or requested (normaliseUrl).
    void navigate(const std::string& typed);
    const std::string& url() const { return m_url; }
    // Raises the window above the others and gives it the focus.
    void bringToFront();

signals:
    // After every navigation, with the URL now shown.
    void navigated(const std::string& url);

private:
    Role m_role;
    std::string m_url;
    QLineEdit* m_address;
    QTextEdit* m_page;
};

} // namespace quillon::browsersim
