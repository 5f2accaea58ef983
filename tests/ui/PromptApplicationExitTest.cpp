// The unverifiable-host prompt when the application leaves while it is open:
// no further showing could wait for a button, so the prompt answers Abort
// instead of showing itself again and again. A program of its own, because
// the application stays in its leaving state afterwards.

#include "ui/ModalAnswer.h"
#include "ui/WidgetUnverifiablePrompt.h"

#include <QCoreApplication>
#include <QTest>

using quillon::core::PromptVariant;
using quillon::test::whenModal;
using quillon::ui::WidgetUnverifiablePrompt;

class PromptApplicationExitTest : public QObject {
    Q_OBJECT

private slots:
    void exec_applicationLeaving_answersAbort();
};

void PromptApplicationExitTest::exec_applicationLeaving_answersAbort()
{
    WidgetUnverifiablePrompt prompt(nullptr, QStringLiteral("a.example"), PromptVariant::Reverification);
    whenModal([](QWidget*) { QCoreApplication::exit(0); });
    QCOMPARE(prompt.exec(), 3);
    QVERIFY(!prompt.form()->isVisible());
}

QTEST_MAIN(PromptApplicationExitTest)
#include "PromptApplicationExitTest.moc"
