#include "ui/TFormOptions.h"

#include "core/Settings.h"
#include "ui/Icons.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quillon::ui {

namespace {

// The design's client area.
constexpr int DesignWidth = 397;
constexpr int DesignHeight = 286;

QLabel* mutedNote(const QString& text, QWidget* parent)
{
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setIndent(22);
    QPalette p = note->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Disabled, QPalette::WindowText));
    note->setPalette(p);
    QFont f = note->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    note->setFont(f);
    return note;
}

QString profilesText(const QStringList& profiles)
{
    return profiles.isEmpty() ? QStringLiteral("No profile found.")
                              : QStringLiteral("Found: ") + profiles.join(QStringLiteral(", "));
}

QIcon themed(const char* name, icons::MenuIcon fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), icons::drawnMenuIcon(fallback));
}

} // namespace

TFormOptions::TFormOptions(const core::OptionValues& values, const QStringList& firefoxProfiles,
                           const QStringList& chromiumProfiles, ApplyOptions apply, QWidget* parent)
    : FixedDialog(parent)
    , m_values(values)
    , m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("TFormOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    QWidget* body = nullptr;

    // General
    m_pages->addTab(makePage("PanelGeneral", "General options:", themed("preferences-system", icons::MenuIcon::Options), body),
                    QStringLiteral("General"));
    m_autoStart = addCheck(body, "chkAutoStart", "Run at log-in");
    m_autoStart->setToolTip(QStringLiteral("Starts Quillon when you log in to the desktop "
                                           "(an entry in ~/.config/autostart)."));
    m_startSplash = addCheck(body, "chkStartSplash", "Show splash screen");
    m_startTNA = addCheck(body, "chkStartTNA", "Start minimized in the system tray");
    m_workTNA = addCheck(body, "chkWorkTNA", "Show activity on tray-bar");
    m_saveWindow = addCheck(body, "chkSaveWindow", "Save size and position");

    // Browser
    m_pages->addTab(makePage("PanelBrowser", "Browser integration:", themed("internet-web-browser", icons::MenuIcon::OpenHost), body),
                    QStringLiteral("Browser"));
    m_captureIExplore = addCheck(body, "chkDDECaptureIExplore", "Capture Hosts from Internet Explorer");
    m_captureNetscape = addCheck(body, "chkDDECaptureNetscape", "Capture Hosts from Netscape Navigator");
    m_captureFirefox = addCheck(body, "chkCaptureFirefox", "Capture Hosts from Firefox");
    QLabel* firefoxNote = mutedNote(profilesText(firefoxProfiles), body);
    firefoxNote->setObjectName(QStringLiteral("LabelFirefoxProfiles"));
    body->layout()->addWidget(firefoxNote);
    m_captureChromium
        = addCheck(body, "chkCaptureChromium", "Capture Hosts from Chromium, Chrome, Brave, Edge and Vivaldi");
    QLabel* chromiumNote = mutedNote(profilesText(chromiumProfiles), body);
    chromiumNote->setObjectName(QStringLiteral("LabelChromiumProfiles"));
    body->layout()->addWidget(chromiumNote);
    auto* verifyGroup = new QGroupBox(QStringLiteral("Captured Host:"), body);
    verifyGroup->setObjectName(QStringLiteral("optDDEVerify"));
    auto* verifyColumn = new QVBoxLayout(verifyGroup);
    verifyColumn->setContentsMargins(8, 4, 8, 4);
    verifyColumn->setSpacing(2);
    m_verifyCaptured = new QRadioButton(QStringLiteral("attempt to verify IP address"), verifyGroup);
    m_verifyCaptured->setObjectName(QStringLiteral("optDDEVerifyItem0"));
    m_waitCaptured = new QRadioButton(QStringLiteral("don't verify: add to Verification Wait List"), verifyGroup);
    m_waitCaptured->setObjectName(QStringLiteral("optDDEVerifyItem1"));
    verifyColumn->addWidget(m_verifyCaptured);
    verifyColumn->addWidget(m_waitCaptured);
    body->layout()->addWidget(verifyGroup);

    // Automatisms
    m_pages->addTab(
        makePage("PanelAutomatisms", "Automatic operations:", themed("view-refresh", icons::MenuIcon::AutoVerify), body),
        QStringLiteral("Automatisms"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setColumnStretch(2, 1);
    static_cast<QVBoxLayout*>(body->layout())->addLayout(grid);
    const struct {
        QCheckBox*& check;
        const char* checkName;
        const char* caption;
        QLineEdit*& field;
        const char* fieldName;
        const char* unit;
    } rows[] = {
        { m_autoSave, "chkAutoSave", "Save automatically every:", m_autoSaveCount, "mskAutoSaveCount",
          "modified Hosts" },
        { m_autoVerifyHosts, "chkAutoVerifyHosts", "Verify IP addresses after:", m_autoVerifyHostsDays,
          "mskAutoVerifyHostsDays", "days from last verification" },
        { m_autoVerifyHostsQQD, "chkAutoVerifyHostsQQD", "Verify the whole Wait List after:",
          m_autoVerifyHostsQQDDays, "mskAutoVerifyHostsQQDDays", "days from last verification" },
    };
    int row = 0;
    for (const auto& r : rows) {
        r.check = new QCheckBox(QString::fromLatin1(r.caption), body);
        r.check->setObjectName(QString::fromLatin1(r.checkName));
        r.field = addNumber(body, r.fieldName, r.check);
        grid->addWidget(r.check, row, 0);
        grid->addWidget(r.field, row, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(r.unit), body), row, 2);
        ++row;
    }

    // Advanced
    m_pages->addTab(
        makePage("PanelAdvanced", "Advanced options:", themed("network-wired", icons::MenuIcon::VerifyHosts), body),
        QStringLiteral("Advanced"));
    auto* dialUp = new QGroupBox(QStringLiteral("Dial-up Networking Connections"), body);
    dialUp->setObjectName(QStringLiteral("GroupBoxDialUp"));
    auto* dialUpColumn = new QVBoxLayout(dialUp);
    auto* dialUpText
        = new QLabel(QStringLiteral("Check for availability of a connection before any verification:"), dialUp);
    dialUpText->setWordWrap(true);
    dialUpColumn->addWidget(dialUpText);
    m_checkOnLine = new QCheckBox(QStringLiteral("enable connection check"), dialUp);
    m_checkOnLine->setObjectName(QStringLiteral("chkCheckOnLine"));
    dialUpColumn->addWidget(m_checkOnLine);
    body->layout()->addWidget(dialUp);

    // Addresses of visited hosts checked with the name servers while in use.
    auto* fresh = new QGroupBox(QStringLiteral("Visited Hosts"), body);
    fresh->setObjectName(QStringLiteral("GroupBoxRefresh"));
    auto* freshRow = new QHBoxLayout(fresh);
    auto* freshText = new QLabel(QStringLiteral("Check the address of a visited Host after:"), fresh);
    freshText->setObjectName(QStringLiteral("lblRefreshAfterHours"));
    m_refreshAfterHours = new QLineEdit(fresh);
    m_refreshAfterHours->setObjectName(QStringLiteral("mskRefreshAfterHours"));
    m_refreshAfterHours->setInputMask(QStringLiteral("0000;_"));
    m_refreshAfterHours->setFixedWidth(m_refreshAfterHours->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_refreshAfterHours->setToolTip(QStringLiteral("0: never"));
    freshText->setBuddy(m_refreshAfterHours);
    freshRow->addWidget(freshText);
    freshRow->addWidget(m_refreshAfterHours);
    freshRow->addWidget(new QLabel(QStringLiteral("hours (0: never)"), fresh));
    freshRow->addStretch(1);
    body->layout()->addWidget(fresh);

    for (int i = 0; i < m_pages->count(); ++i)
        static_cast<QVBoxLayout*>(m_pages->widget(i)->findChild<QWidget*>(QStringLiteral("Body"))->layout())
            ->addStretch(1);

    QPushButton* ok = namedButton(this, "ButtonOK", "OK");
    ok->setDefault(true);
    QPushButton* cancel = namedButton(this, "ButtonCancel", "Cancel");
    QPushButton* applyButton = namedButton(this, "ButtonApply", "&Apply");
    connect(ok, &QPushButton::clicked, this, &TFormOptions::ButtonOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &TFormOptions::ButtonApplyClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(applyButton);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, applyButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(m_pages, 1);
    column->addLayout(buttons);

    // The values as the dialog opens.
    const core::Settings& s = m_values.settings;
    m_autoStart->setChecked(m_values.autoStart);
    m_startSplash->setChecked(s.StartSplash);
    m_startTNA->setChecked(s.StartTNA);
    m_workTNA->setChecked(s.WorkTNA);
    m_saveWindow->setChecked(s.SaveWindow);
    m_captureIExplore->setChecked(s.DDECaptureIExplore);
    m_captureNetscape->setChecked(s.DDECaptureNetscape);
    m_captureFirefox->setChecked(s.CaptureFirefox);
    m_captureChromium->setChecked(s.CaptureChromium);
    (s.DDEVerify ? m_verifyCaptured : m_waitCaptured)->setChecked(true);
    m_autoSave->setChecked(s.AutoSave);
    m_autoVerifyHosts->setChecked(s.AutoVerifyHosts);
    m_autoVerifyHostsQQD->setChecked(s.AutoVerifyHostsQQD);
    m_checkOnLine->setChecked(s.CheckOnLine);
    m_autoSaveCount->setText(QString::fromStdString(m_values.autoSaveCount));
    m_autoVerifyHostsDays->setText(QString::fromStdString(m_values.autoVerifyHostsDays));
    m_autoVerifyHostsQQDDays->setText(QString::fromStdString(m_values.autoVerifyHostsQQDDays));
    m_refreshAfterHours->setText(QString::fromStdString(m_values.refreshAfterHours));
    for (const auto& r : rows)
        r.field->setEnabled(r.check->isChecked());

    m_pages->setCurrentIndex(0);
    fixSize(DesignWidth, DesignHeight);
}

QWidget* TFormOptions::makePage(const char* name, const char* heading, const QIcon& picture, QWidget*& body)
{
    auto* sheet = new QWidget(m_pages);
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(4, 4, 4, 4);
    auto* panel = new QFrame(sheet);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    sheetLayout->addWidget(panel);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(10);
    auto* image = new QLabel(panel);
    image->setPixmap(picture.pixmap(32, 32));
    image->setFixedSize(32, 32);
    row->addWidget(image, 0, Qt::AlignTop);

    body = new QWidget(panel);
    body->setObjectName(QStringLiteral("Body"));
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* title = new QLabel(QString::fromLatin1(heading), body);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    column->addWidget(title);
    column->addSpacing(4);
    row->addWidget(body, 1);
    return sheet;
}

QCheckBox* TFormOptions::addCheck(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(box);
    return box;
}

QLineEdit* TFormOptions::addNumber(QWidget* parent, const char* name, QCheckBox* enabler)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    // Three optional digits, blanks shown as "_".
    field->setInputMask(QStringLiteral("000;_"));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    // Leaving the field shows the number it stands for.
    connect(field, &QLineEdit::editingFinished, field,
            [field] { field->setText(QString::number(numberFieldValue(*field))); });
    connect(enabler, &QCheckBox::toggled, field, &QWidget::setEnabled);
    return field;
}

std::string TFormOptions::fieldText(const QLineEdit& field)
{
    // The shown text keeps each blank where it is; text() would close up the
    // gaps and read "1_2" as 12.
    QString shown = field.displayText();
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    return shown.toStdString();
}

int TFormOptions::numberFieldValue(const QLineEdit& field)
{
    return core::optionNumberFromText(fieldText(field));
}

core::OptionValues TFormOptions::values() const
{
    core::OptionValues v = m_values;
    core::Settings& s = v.settings;
    v.autoStart = m_autoStart->isChecked();
    s.StartSplash = m_startSplash->isChecked();
    s.StartTNA = m_startTNA->isChecked();
    s.WorkTNA = m_workTNA->isChecked();
    s.SaveWindow = m_saveWindow->isChecked();
    s.DDECaptureIExplore = m_captureIExplore->isChecked();
    s.DDECaptureNetscape = m_captureNetscape->isChecked();
    s.CaptureFirefox = m_captureFirefox->isChecked();
    s.CaptureChromium = m_captureChromium->isChecked();
    s.DDEVerify = m_verifyCaptured->isChecked();
    s.AutoSave = m_autoSave->isChecked();
    s.AutoVerifyHosts = m_autoVerifyHosts->isChecked();
    s.AutoVerifyHostsQQD = m_autoVerifyHostsQQD->isChecked();
    s.CheckOnLine = m_checkOnLine->isChecked();
    v.autoSaveCount = fieldText(*m_autoSaveCount);
    v.autoVerifyHostsDays = fieldText(*m_autoVerifyHostsDays);
    v.autoVerifyHostsQQDDays = fieldText(*m_autoVerifyHostsQQDDays);
    v.refreshAfterHours = fieldText(*m_refreshAfterHours);
    return v;
}

void TFormOptions::ButtonApplyClick()
{
    m_values = values();
    (void)m_apply(m_values);
}

void TFormOptions::ButtonOKClick()
{
    m_values = values();
    if (m_apply(m_values))
        accept();
}

} // namespace quillon::ui
