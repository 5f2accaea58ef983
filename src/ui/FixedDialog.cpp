#include "ui/FixedDialog.h"

#include <QApplication>
#include <QLayout>
#include <QPushButton>
#include <QScreen>

namespace quillon::ui {

namespace {

// The window's frame around its inside: its own once a window manager has
// shown it, else that of another window shown already (the window manager
// decorates them alike). Without one, the first showing of a window would
// centre its inside and the next ones its frame: ten pixels apart.
QMargins frameMargins(const QWidget& window)
{
    const auto marginsOf = [](const QWidget& w) {
        const QRect inside = w.geometry();
        const QRect frame = w.frameGeometry();
        return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                        frame.bottom() - inside.bottom());
    };
    if (const QMargins own = marginsOf(window); !own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible()) {
            // The title bar and the sides as the other window's; a dialog of
            // fixed size has no grip at its bottom, only a side's border.
            if (const QMargins theirs = marginsOf(*other); !theirs.isNull())
                return { theirs.left(), theirs.top(), theirs.right(), theirs.left() };
        }
    }
    return {};
}

} // namespace

void centreOn(QWidget& window, const QPoint& centre)
{
    QRect frame = QRect(QPoint(), window.size()).marginsAdded(frameMargins(window));
    frame.moveCenter(centre);
    window.move(frame.topLeft());
}

void centreOnScreen(QWidget& window)
{
    if (const QScreen* const target = window.screen())
        centreOn(window, target->availableGeometry().center());
}

QPushButton* namedButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

FixedDialog::FixedDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setModal(true);
}

void FixedDialog::fixSize(int designWidth, int designHeight)
{
    // The desktop's fonts may need more room than the design had.
    const QSize wanted = layout() != nullptr ? layout()->sizeHint() : QSize();
    setFixedSize(std::max(designWidth, wanted.width()), std::max(designHeight, wanted.height()));
}

void FixedDialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        centreOnScreen(*this);
    QDialog::setVisible(visible);
}

} // namespace quillon::ui
