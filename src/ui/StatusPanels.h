#pragma once
// StatusBar1: five panels side by side along the bottom of the window.
// Panel 0 the host count (150 wide), panel 1 the current host (its width
// follows the window), panel 2 the current address (160), panel 3 the
// activity light, drawn by the window (19, no bevel), panel 4 empty (25, no
// bevel).

#include <QFrame>
#include <QLabel>

#include <array>
#include <functional>

namespace quillon::ui {

// Panel 3: paints the picture it is given at its left and top edges.
class ActivityLight final : public QWidget {
    Q_OBJECT
public:
    using Picture = std::function<QPixmap(qreal devicePixelRatio)>;
    explicit ActivityLight(QWidget* parent = nullptr);
    void setPicture(Picture picture) { m_picture = std::move(picture); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_picture;
};

class StatusPanels final : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    int panelWidth(int panel) const;
    void setPanel1Width(int width);
    ActivityLight* light() const { return m_light; }

private:
    std::array<QLabel*, 5> m_panels {};
    ActivityLight* m_light;
};

} // namespace quillon::ui
