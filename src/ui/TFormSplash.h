#pragma once
// The start-up splash: a window without border or caption that holds the
// start-up picture, takes its size (400 x 100) and centres itself on the
// primary screen. Start-up shows it with showNow() while it goes on loading
// and releases it at the end; the owner keeps it (no delete on close).

#include <QPixmap>
#include <QWidget>

namespace quillon::ui {

class TFormSplash final : public QWidget {
    Q_OBJECT

public:
    explicit TFormSplash(QWidget* parent = nullptr);

    // Shows the splash and paints it before returning, so it appears while
    // start-up keeps the event loop busy. User input stays queued.
    void showNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace quillon::ui
