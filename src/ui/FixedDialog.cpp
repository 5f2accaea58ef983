#include "ui/FixedDialog.h"

#include <QLayout>
#include <QPushButton>
#include <QScreen>

namespace quillon::ui {

void centreOnScreen(QWidget& window)
{
    const QScreen* const target = window.screen();
    if (target == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    window.move(frame.topLeft());
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

void FixedDialog::showEvent(QShowEvent* event)
{
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace quillon::ui
