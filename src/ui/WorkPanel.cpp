#include "ui/WorkPanel.h"

#include "ui/PaintPacer.h"

#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace quillon::ui {

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

WorkPanel::WorkPanel(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelWork"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    resize(PanelWidth, PanelHeight);

    m_action = addLabel(this, "WorkLabelAction", QStringLiteral("Verifying Host:"), { 15, 15, 211, 21 });
    m_url = addLabel(this, "WorkLabelURL", QStringLiteral("hostname"), { 15, 35, 211, 21 });
    QFont bold = m_url->font();
    bold.setBold(true);
    m_url->setFont(bold);
    m_url->setWordWrap(true);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("WorkProgressBar"));
    m_bar->setGeometry(15, 55, 265, 16);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_percent = addLabel(this, "WorkLabelPercent", QStringLiteral("100%"), { 15, 80, 36, 16 });

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("WorkButtonCancel"));
    m_cancel->setGeometry(205, 80, 75, 25);
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &WorkPanel::cancelClicked);

    m_animation = new QLabel(this);
    m_animation->setObjectName(QStringLiteral("WorkAnimation"));
    m_animation->setGeometry(235, 10, 48, 45);
    m_animation->setAlignment(Qt::AlignCenter);
    m_movie = new QMovie(this);
    // A GIF reader cannot seek; with the (small) frames cached the clip can
    // rest on its stop frame and start again from the first.
    m_movie->setCacheMode(QMovie::CacheAll);
    m_animation->setMovie(m_movie);
    // A clip without a loop count plays once; the panel plays it for as long
    // as it is shown.
    connect(m_movie, &QMovie::finished, this, &WorkPanel::playClip, Qt::QueuedConnection);

    // The window's cancel button: a shortcut of the panel is live only while
    // the panel is visible and its window active, and click() does nothing
    // while the button is disabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, m_cancel, &QPushButton::click);

    hide();
}

void WorkPanel::setClipFile(const QString& path)
{
    m_movie->stop();
    m_movie->setFileName(path);
    m_movie->setFormat("gif");
    if (isVisible())
        playClip();
    else
        restClip();
}

void WorkPanel::showPanel(const core::WorkPanelSetup& setup)
{
    setAction(QString::fromLocal8Bit(setup.action));
    setUrl(QString::fromLocal8Bit(setup.url));
    m_bar->setValue(std::clamp(setup.progress, 0, 100));
    setPercentText(QString::fromLocal8Bit(setup.percent));
    setCancelEnabled(setup.cancelEnabled);
    raise();
    show();
    m_paintAtOnce = true;
}

void WorkPanel::hidePanel()
{
    hide();
}

void WorkPanel::setAction(const QString& text)
{
    m_action->setText(text);
}

void WorkPanel::setUrl(const QString& text)
{
    m_url->setText(text);
}

void WorkPanel::setProgress(int percent)
{
    const int value = std::clamp(percent, 0, 100);
    m_bar->setValue(value);
    m_percent->setText(QString::number(value) + QLatin1Char('%'));
}

int WorkPanel::progress() const
{
    return m_bar->value();
}

void WorkPanel::setPercentText(const QString& text)
{
    m_percent->setText(text);
}

void WorkPanel::setCancelEnabled(bool enabled)
{
    m_cancel->setEnabled(enabled);
}

void WorkPanel::paintChanges()
{
    if (m_paintAtOnce) {
        m_paintAtOnce = false;
        PaintPacer::paintNow(this);
    } else {
        update();
    }
}

void WorkPanel::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    playClip();
}

void WorkPanel::hideEvent(QHideEvent* event)
{
    m_movie->stop();
    restClip();
    QFrame::hideEvent(event);
}

void WorkPanel::playClip()
{
    if (!isVisible() || !m_movie->isValid() || m_movie->state() == QMovie::Running)
        return;
    // From the first frame: a stopped clip stands on its stop frame.
    m_movie->jumpToFrame(0);
    m_movie->start();
}

void WorkPanel::restClip()
{
    const int frames = m_movie->frameCount();
    if (frames <= 0)
        return;
    m_movie->jumpToFrame(std::min(StopFrame, frames) - 1);
}

} // namespace quillon::ui
