#pragma once
// The work panel shown over the host lists while a long operation runs: what
// is being done, the item at hand, the progress bar with its percentage, the
// Cancel button and the animation clip. Hidden at creation.
//
// The clip plays while the panel is on screen and rests on its stop frame
// otherwise. Esc presses Cancel while the panel is visible in the active
// window and Cancel is enabled, as a dialog's cancel button would.

#include "core/Dialogs.h"

#include <QFrame>

class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;

namespace quillon::ui {

class WorkPanel final : public QFrame {
    Q_OBJECT

public:
    static constexpr int PanelWidth = 295;
    static constexpr int PanelHeight = 120;
    // The frame the clip rests on when stopped, counted from 1; a shorter
    // clip rests on its last frame.
    static constexpr int StopFrame = 14;

    explicit WorkPanel(QWidget* parent = nullptr);

    // The clip file (a GIF, whatever its name). A missing or unreadable file
    // leaves the animation empty.
    void setClipFile(const QString& path);

    // Prepares the controls from setup, then shows the panel above its
    // siblings and starts the clip.
    void showPanel(const core::WorkPanelSetup& setup);
    // Hides the panel and stops the clip.
    void hidePanel();
    // Shown by showPanel and not hidden since (even while the window itself
    // is hidden in the tray).
    bool isShown() const { return !isHidden(); }

    void setAction(const QString& text);
    void setUrl(const QString& text);
    // Sets the bar and the percentage text "N%"; percent is kept within 0 to 100.
    void setProgress(int percent);
    int progress() const;
    // The percentage text as it stands, or empty for work without one.
    void setPercentText(const QString& text);
    void setCancelEnabled(bool enabled);
    // Paints what changed on the panel: at once the first time after
    // showPanel (the caller may block next), with the window's next paint
    // otherwise (a run's hosts would paint it hundreds of times a second).
    void paintChanges();

signals:
    void cancelClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void playClip();
    void restClip();

    QLabel* m_action = nullptr;
    QLabel* m_url = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_percent = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_animation = nullptr;
    QMovie* m_movie = nullptr;
    bool m_paintAtOnce = false;
};

} // namespace quillon::ui
