#include "ui/TFormStatusChart.h"

#include "ui/Icons.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::ui {

namespace {

constexpr int DesignWidth = 515;
constexpr int DesignHeight = 271;

QFrame* raisedPanel(const char* name, const char* heading, QWidget* parent, QGridLayout*& grid)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(10, 8, 10, 8);
    auto* title = new QLabel(QString::fromLatin1(heading), panel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    column->addWidget(title);
    grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    column->addLayout(grid);
    return panel;
}

QLabel* picture(const QPixmap& pixmap, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(pixmap);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

} // namespace

TFormStatusChart::TFormStatusChart(QWidget* parent)
    : FixedDialog(parent)
{
    setObjectName(QStringLiteral("TFormStatusChart"));
    setWindowTitle(QStringLiteral("Legend"));
    const qreal dpr = devicePixelRatioF();

    QGridLayout* hosts = nullptr;
    QFrame* left = raisedPanel("PanelHostStatus", "Host Status", this, hosts);
    const struct {
        int status;
        const char* text;
    } statuses[] = {
        { 1, "Host verified and saved in the HOSTS file\n(Host acceleration is active)" },
        { 2, "Host visited and available in the HOSTS file\n(Host acceleration is active,\n Frequency Index must be "
             "updated)" },
        { 3, "Host verified but not saved in the HOSTS file\n(Host acceleration is NOT active,\n Host must be saved "
             "in the HOSTS file)" },
        { 0, "Host not verified, waiting for verification\n(Host acceleration is NOT active)" },
    };
    int row = 0;
    for (const auto& s : statuses) {
        hosts->addWidget(picture(icons::statusIcon(s.status).pixmap(16, 16), left), row, 0);
        auto* text = new QLabel(QString::fromLatin1(s.text), left);
        text->setObjectName(QStringLiteral("LabelStatus%1").arg(s.status));
        hosts->addWidget(text, row, 1);
        ++row;
    }
    hosts->setColumnStretch(1, 1);
    auto* rule = new QFrame(left);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    auto* note = new QLabel(QStringLiteral("The Host status in the Trash section represents the previous status of "
                                           "the Host (before being deleted)."),
                            left);
    note->setObjectName(QStringLiteral("LabelTrashNote"));
    note->setWordWrap(true);
    auto* leftColumn = static_cast<QVBoxLayout*>(left->layout());
    leftColumn->addWidget(rule);
    leftColumn->addWidget(note);
    leftColumn->addStretch(1);

    QGridLayout* lights = nullptr;
    QFrame* right = raisedPanel("PanelActivity", "Led and Tray-bar", this, lights);
    const struct {
        int indicator;
        const char* text;
    } activities[] = {
        { 0, "No activity" },
        { 2, "Files saving in progress" },
        { 1, "Verification in progress" },
    };
    row = 0;
    for (const auto& a : activities) {
        lights->addWidget(picture(icons::activityPixmap(a.indicator, dpr), right), row, 0);
        lights->addWidget(picture(icons::trayIcon(a.indicator).pixmap(16, 16), right), row, 1);
        auto* text = new QLabel(QString::fromLatin1(a.text), right);
        text->setObjectName(QStringLiteral("LabelActivity%1").arg(a.indicator));
        lights->addWidget(text, row, 2);
        ++row;
    }
    lights->setColumnStretch(2, 1);
    static_cast<QVBoxLayout*>(right->layout())->addStretch(1);

    QPushButton* ok = namedButton(this, "ButtonOK", "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* panels = new QHBoxLayout;
    panels->addWidget(left, 3);
    panels->addWidget(right, 2);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addLayout(panels, 1);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    fixSize(DesignWidth, DesignHeight);
}

} // namespace quillon::ui
