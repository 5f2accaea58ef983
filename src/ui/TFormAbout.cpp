#include "ui/TFormAbout.h"

#include "core/ProductInfo.h"
#include "ui/Icons.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>

namespace quillon::ui {

namespace {

constexpr int DesignWidth = 361;
constexpr int DesignHeight = 336;

void paintBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
}

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

// An address drawn as a link: blue, underlined, small, with the hand cursor;
// a click runs `clicked`.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, std::function<void()> clicked, QWidget* parent)
        : QLabel(text, parent)
        , m_clicked(std::move(clicked))
    {
        QFont f = font();
        f.setUnderline(true);
        f.setPointSizeF(f.pointSizeF() * 0.9);
        setFont(f);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        setPalette(p);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        m_clicked();
    }

private:
    std::function<void()> m_clicked;
};

// Tabs of one width whatever their captions, as the box is laid out.
class FixedWidthTabBar final : public QTabBar {
public:
    static constexpr int TabWidth = 111;
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        return { TabWidth, QTabBar::tabSizeHint(index).height() };
    }
};

// QTabWidget takes its own tab bar only from a subclass.
class FixedWidthTabs final : public QTabWidget {
public:
    explicit FixedWidthTabs(QWidget* parent)
        : QTabWidget(parent)
    {
        auto* bar = new FixedWidthTabBar(this);
        bar->setObjectName(QStringLiteral("TabBar"));
        setTabBar(bar);
    }
};

QWidget* whitePage(QTabWidget* owner)
{
    auto* page = new QWidget(owner);
    paintBackground(page, Qt::white);
    return page;
}

} // namespace

TFormAbout::TFormAbout(platform::UrlOpener& opener, std::string helpFolder, QWidget* parent)
    : FixedDialog(parent)
    , m_opener(opener)
    , m_helpFolder(std::move(helpFolder))
{
    setObjectName(QStringLiteral("TFormAbout"));

    auto* logoPanel = new QFrame(this);
    logoPanel->setObjectName(QStringLiteral("PanelLogo"));
    logoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    paintBackground(logoPanel, Qt::white);
    auto* logoRow = new QHBoxLayout(logoPanel);
    logoRow->setContentsMargins(6, 6, 6, 6);
    auto* logo = new QLabel(logoPanel);
    logo->setObjectName(QStringLiteral("ImageLogo"));
    logo->setPixmap(icons::logo(40, devicePixelRatioF()));
    logoRow->addWidget(logo, 0, Qt::AlignCenter);

    m_pages = new FixedWidthTabs(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // Hot-tracking: the tab under the mouse is drawn lit.
    m_pages->tabBar()->setAttribute(Qt::WA_Hover);
    m_pages->addTab(versionPage(), QStringLiteral("Version Info"));
    m_pages->addTab(legalPage(), QStringLiteral("Legal Notice"));
    m_pages->addTab(creditsPage(), QStringLiteral("Credits"));
    m_pages->setCurrentIndex(0);

    auto* makerPanel = new QFrame(this);
    makerPanel->setObjectName(QStringLiteral("PanelMaker"));
    paintBackground(makerPanel, Qt::black);
    auto* makerRow = new QHBoxLayout(makerPanel);
    makerRow->setContentsMargins(8, 6, 8, 6);
    auto* makerLogo = new QLabel(makerPanel);
    makerLogo->setObjectName(QStringLiteral("ImageMaker"));
    makerLogo->setPixmap(icons::appIcon().pixmap(32, 32));
    makerRow->addWidget(makerLogo);
    auto* makerNotice = new QLabel(QStringLiteral("Veltrano Software\nFree software for a faster web."), makerPanel);
    makerNotice->setObjectName(QStringLiteral("LabelMakerNotice"));
    QPalette white = makerNotice->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    makerNotice->setPalette(white);
    makerRow->addWidget(makerNotice, 1);

    QPushButton* license = namedButton(this, "ButtonLicense", "&License Agreement...");
    QPushButton* advertisement = namedButton(this, "ButtonAdvertisement", "&Advertising info...");
    QPushButton* ok = namedButton(this, "ButtonOK", "OK");
    ok->setDefault(true);
    connect(license, &QPushButton::clicked, this, &TFormAbout::ButtonLicenseClick);
    connect(advertisement, &QPushButton::clicked, this, &TFormAbout::ButtonAdvertisementClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(license);
    buttons->addStretch(1);
    buttons->addWidget(advertisement);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(logoPanel);
    column->addWidget(m_pages, 1);
    column->addWidget(makerPanel);
    column->addLayout(buttons);
    fixSize(DesignWidth, DesignHeight);
}

QWidget* TFormAbout::versionPage()
{
    QWidget* page = whitePage(m_pages);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(12, 12, 12, 12);
    form->setVerticalSpacing(8);
    QLabel* version = boldLabel(QString::fromLatin1(core::ProgramVersionText), page);
    version->setObjectName(QStringLiteral("LabelVersion"));
    form->addRow(QStringLiteral("Release Version:"), version);
    form->addRow(QStringLiteral("Operating Systems:"), boldLabel(QStringLiteral("Windows 95/98/ME/NT/2000"), page));
    auto* homePage = new LinkLabel(QString::fromLatin1(core::ProductHomePage), [this] { LabelHomePageClick(); }, page);
    homePage->setObjectName(QStringLiteral("LabelHomePage"));
    form->addRow(QStringLiteral("Home Page:"), homePage);
    auto* email = new LinkLabel(QString::fromLatin1(core::SupportEmail), [this] { LabelEmailClick(); }, page);
    email->setObjectName(QStringLiteral("LabelEmail"));
    form->addRow(QStringLiteral("E-mail:"), email);
    return page;
}

QWidget* TFormAbout::legalPage()
{
    QWidget* page = whitePage(m_pages);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(12, 8, 12, 8);
    auto* notice = new QLabel(
        QStringLiteral("Quillon is free software, provided \"as is\", without warranty of any kind. "
                       "You use it at your own risk.\n\n"
                       "Windows and Internet Explorer are trademarks of Microsoft Corporation. "
                       "Netscape and Netscape Navigator are trademarks of Netscape Communications "
                       "Corporation. Firefox is a trademark of the Mozilla Foundation; Chrome is a "
                       "trademark of Google LLC. Other names are trademarks of their owners."),
        page);
    notice->setObjectName(QStringLiteral("LabelLegalNotice"));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    column->addWidget(notice, 1);
    return page;
}

QWidget* TFormAbout::creditsPage()
{
    QWidget* page = whitePage(m_pages);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(12, 12, 12, 12);
    form->setVerticalSpacing(8);
    form->addRow(QStringLiteral("Project Supervisor:"), boldLabel(QStringLiteral("Marco Veltrano"), page));
    form->addRow(QStringLiteral("Programmed by:"), boldLabel(QStringLiteral("The Quillon team"), page));
    form->addRow(QStringLiteral("Translated by:"), boldLabel(QStringLiteral("The Quillon team"), page));
    form->addRow(QStringLiteral("Program Logo by:"), boldLabel(QStringLiteral("Veltrano Design"), page));
    return page;
}

void TFormAbout::LabelHomePageClick()
{
    m_opener.open(core::ProductHomePage);
}

void TFormAbout::LabelEmailClick()
{
    m_opener.open(std::string("mailto:") + core::SupportEmail);
}

void TFormAbout::ButtonLicenseClick()
{
    m_opener.open(m_helpFolder + "Help90.htm");
}

void TFormAbout::ButtonAdvertisementClick()
{
    m_opener.open(m_helpFolder + "Help91.htm");
}

} // namespace quillon::ui
