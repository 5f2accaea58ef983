#pragma once
// TFormAbout: the logo, three pages (version, legal notice, credits), the
// maker's panel, and buttons to the licence and advertising pages. Its
// address labels and buttons hand their pages to the desktop's handler.

#include "platform/UrlOpener.h"
#include "ui/FixedDialog.h"

#include <string>

class QTabWidget;

namespace quillon::ui {

class TFormAbout final : public FixedDialog {
    Q_OBJECT

public:
    // helpFolder: the folder of the help page, with its trailing separator.
    TFormAbout(platform::UrlOpener& opener, std::string helpFolder, QWidget* parent = nullptr);

    void LabelHomePageClick();
    void LabelEmailClick();
    void ButtonLicenseClick();
    void ButtonAdvertisementClick();

private:
    QWidget* versionPage();
    QWidget* legalPage();
    QWidget* creditsPage();

    platform::UrlOpener& m_opener;
    std::string m_helpFolder;
    QTabWidget* m_pages = nullptr;
};

} // namespace quillon::ui
