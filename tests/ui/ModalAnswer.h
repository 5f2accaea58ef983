#pragma once
// Answers a modal dialog from inside its own event loop: the step runs as
// soon as a visible modal widget is active (polled for up to two seconds).
// A step that lets the dialog show again schedules the next answer itself.
// When a check inside the step fails, the dialog is ended with any of its
// buttons so that the test reports instead of hanging.

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace quillon::test {

inline void whenModal(std::function<void(QWidget*)> step, int triesLeft = 200)
{
    QTimer::singleShot(10, qApp, [step = std::move(step), triesLeft]() mutable {
        QWidget* const modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            step(modal);
            if (QTest::currentTestFailed() && modal->isVisible()) {
                if (auto* const button = modal->findChild<QPushButton*>())
                    button->click();
                if (modal->isVisible())
                    modal->hide();
            }
            return;
        }
        if (triesLeft > 0)
            whenModal(std::move(step), triesLeft - 1);
    });
}

// The dialog's child called name, of type T.
template<typename T>
T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}

} // namespace quillon::test
