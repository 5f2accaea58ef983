#include "ui/StatusPanels.h"

#include "ui/WindowLayout.h"

#include <QHBoxLayout>
#include <QPainter>

namespace quillon::ui {

ActivityLight::ActivityLight(QWidget* parent)
    : QWidget(parent)
{
}

void ActivityLight::paintEvent(QPaintEvent*)
{
    if (!m_picture)
        return;
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_picture(devicePixelRatioF()));
}

StatusPanels::StatusPanels(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 1, 0, 0);
    // The panels' widths add up to the window's width: any spacing would
    // push the last ones out of a window at its smallest.
    row->setSpacing(0);
    const int widths[5] = { layout::StatusPanel0Width, 296, layout::StatusPanel2Width, layout::StatusPanel3Width,
                            layout::StatusPanel4Width };
    const char* designTexts[5] = { "", "Current Host:", "Current IP:", "", "" };
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromLatin1(designTexts[i]), this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFixedWidth(widths[i]);
        label->setTextFormat(Qt::PlainText);
        // Panels 3 and 4 have no bevel.
        label->setFrameStyle(i >= 3 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
        label->setMargin(0);
        label->setIndent(2);
        m_panels[static_cast<std::size_t>(i)] = label;
        row->addWidget(label);
    }
    m_light = new ActivityLight(m_panels[3]);
    m_light->setObjectName(QStringLiteral("ActivityLight"));
    m_light->setGeometry(0, 1, layout::StatusPanel3Width, layout::StatusBarHeight - 2);
    row->addStretch(1);
    setFixedHeight(std::max(layout::StatusBarHeight, fontMetrics().height() + 4));
}

void StatusPanels::setPanelText(int panel, const QString& text)
{
    m_panels.at(static_cast<std::size_t>(panel))->setText(text);
}

QString StatusPanels::panelText(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->text();
}

int StatusPanels::panelWidth(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->width();
}

void StatusPanels::setPanel1Width(int width)
{
    m_panels[1]->setFixedWidth(std::max(width, 0));
}

} // namespace quillon::ui
