#include "BrowserWindow.h"

#include <QLineEdit>
#include <QTextEdit>
#include <QVBoxLayout>

namespace quillon::browsersim {

BrowserWindow::BrowserWindow(Role role, QWidget* parent)
    : QMainWindow(parent), m_role(role), m_address(new QLineEdit), m_page(new QTextEdit)
{
    m_page->setReadOnly(true);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_address);
    layout->addWidget(m_page);
    setCentralWidget(central);
    resize(800, 600);
    connect(m_address, &QLineEdit::returnPressed, this, [this] { navigate(m_address->text().toStdString()); });
}

void BrowserWindow::navigate(const std::string& typed)
{
    m_url = normaliseUrl(typed);
    const std::string title = pageTitle(m_url);
    const QString url = QString::fromStdString(m_url);
    m_address->setText(url);
    m_page->setPlainText(QString::fromStdString(title) + QStringLiteral("\n\n") + url);
    setWindowTitle(QString::fromStdString(windowTitleFor(m_role, title)));
    emit navigated(m_url);
}

void BrowserWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

} // namespace quillon::browsersim
