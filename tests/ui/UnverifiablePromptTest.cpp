// The unverifiable-host prompt: its texts in both variants, the answers of
// its buttons, and the wrapper's showings until a button is pressed.

#include "ui/ModalAnswer.h"
#include "ui/TFormDialog.h"
#include "ui/WidgetUnverifiablePrompt.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using quillon::core::PromptVariant;
using quillon::test::child;
using quillon::test::whenModal;
using quillon::ui::TFormDialog;
using quillon::ui::WidgetUnverifiablePrompt;

Q_DECLARE_METATYPE(PromptVariant)

class UnverifiablePromptTest : public QObject {
    Q_OBJECT

private slots:
    void form_designAndVariants_data();
    void form_designAndVariants();
    void form_escapeAndEnter_doNothing();
    void exec_eachButton_returnsIt_data();
    void exec_eachButton_returnsIt();
    void exec_closedWithoutButton_answersNoneAndKeepsCheckBox();
};

void UnverifiablePromptTest::form_designAndVariants_data()
{
    QTest::addColumn<PromptVariant>("variant");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("button1");
    QTest::newRow("add or import") << PromptVariant::AddOrImport << QStringLiteral("- 'Ignore' to ignore the Host;")
                                   << QStringLiteral("&Ignore");
    QTest::newRow("re-verification") << PromptVariant::Reverification
                                     << QStringLiteral("- 'Delete' to send the Host to the Trash;")
                                     << QStringLiteral("&Delete");
}

void UnverifiablePromptTest::form_designAndVariants()
{
    QFETCH(PromptVariant, variant);
    QFETCH(QString, label1);
    QFETCH(QString, button1);

    WidgetUnverifiablePrompt prompt(nullptr, QStringLiteral("www.example.com"), variant);
    TFormDialog* const form = prompt.form();
    QCOMPARE(form->objectName(), QStringLiteral("TFormDialog"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Quillon"));
    QCOMPARE(form->height(), 212);
    QVERIFY(form->width() >= 271);
    const QCheckBox* box = form->findChild<QCheckBox*>(QStringLiteral("DialogAutoResult"));
    QVERIFY(box->geometry().right() < form->width()); // its text is never cut
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint)));

    QCOMPARE(child<QLabel>(form, "LabelURL")->text(), QStringLiteral("www.example.com"));
    QVERIFY(child<QLabel>(form, "LabelURL")->font().bold());
    QCOMPARE(child<QLabel>(form, "Label1")->text(), label1);
    QCOMPARE(child<QPushButton>(form, "Button1")->text(), button1);
    QVERIFY(!child<QLabel>(form, "Image1")->pixmap().isNull());
    QVERIFY(!prompt.autoResult());
    QCOMPARE(form->chosenButton(), 0);
    for (const char* name : { "Button1", "Button2", "Button3" }) {
        QVERIFY(!child<QPushButton>(form, name)->isDefault());
        QVERIFY(!child<QPushButton>(form, name)->autoDefault());
    }
}

void UnverifiablePromptTest::form_escapeAndEnter_doNothing()
{
    TFormDialog form;
    bool stayedOpen = false;
    whenModal([&](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        QTest::keyClick(modal, Qt::Key_Return);
        stayedOpen = modal->isVisible();
        child<QPushButton>(modal, "Button2")->click();
    });
    QCOMPARE(form.exec(), 2);
    QVERIFY(stayedOpen);
    QCOMPARE(form.chosenButton(), 2);
}

void UnverifiablePromptTest::exec_eachButton_returnsIt_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("Ignore") << QStringLiteral("Button1") << 1;
    QTest::newRow("Wait") << QStringLiteral("Button2") << 2;
    QTest::newRow("Abort") << QStringLiteral("Button3") << 3;
}

void UnverifiablePromptTest::exec_eachButton_returnsIt()
{
    QFETCH(QString, button);
    QFETCH(int, answer);

    WidgetUnverifiablePrompt prompt(nullptr, QStringLiteral("a.example"), PromptVariant::AddOrImport);
    whenModal([&](QWidget* modal) { child<QPushButton>(modal, button.toLatin1().constData())->click(); });
    QCOMPARE(prompt.exec(), answer);
    QVERIFY(!prompt.form()->isVisible());
}

void UnverifiablePromptTest::exec_closedWithoutButton_answersNoneAndKeepsCheckBox()
{
    // Closed without a button (a window manager's close command), the
    // prompt answers 0; shown again, it keeps its check box, and an earlier
    // Abort does not count for the new showing.
    WidgetUnverifiablePrompt prompt(nullptr, QStringLiteral("a.example"), PromptVariant::Reverification);
    whenModal([](QWidget* modal) {
        child<QCheckBox>(modal, "DialogAutoResult")->setChecked(true);
        child<QPushButton>(modal, "Button3")->click();
    });
    QCOMPARE(prompt.exec(), 3);
    whenModal([](QWidget* modal) { modal->close(); });
    QCOMPARE(prompt.exec(), 0);
    whenModal([](QWidget* modal) {
        QVERIFY(child<QCheckBox>(modal, "DialogAutoResult")->isChecked());
        child<QPushButton>(modal, "Button2")->click();
    });
    QCOMPARE(prompt.exec(), 2);
    QVERIFY(prompt.autoResult());
}

QTEST_MAIN(UnverifiablePromptTest)
#include "UnverifiablePromptTest.moc"
