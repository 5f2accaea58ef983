// The input dialog: Enter is OK with the typed text, Esc and the close box
// are Cancel, the caller's text shows in Edit1, and text crosses to the
// logic's bytes unchanged.

#include "ui/ModalAnswer.h"
#include "ui/TFormInput.h"
#include "ui/WidgetInputDialog.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

using quillon::test::child;
using quillon::test::whenModal;
using quillon::ui::TFormInput;
using quillon::ui::WidgetInputDialog;

class InputDialogTest : public QObject {
    Q_OBJECT

private slots:
    void design();
    void enter_isOk_withTypedText();
    void cancel_data();
    void cancel();
    void setText_showsInEdit_andShownAgainAsItStands();
    void text_nonAsciiAndLong_unchanged();
    void opensCentredOverParent();
};

void InputDialogTest::design()
{
    WidgetInputDialog input(nullptr, QStringLiteral("Add Host"), {});
    TFormInput* const form = input.form();
    QCOMPARE(form->objectName(), QStringLiteral("TFormInput"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Add Host"));
    QCOMPARE(form->size(), QSize(237, 95));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(child<QPushButton>(form, "ButtonOK")->isDefault());
}

void InputDialogTest::enter_isOk_withTypedText()
{
    WidgetInputDialog input(nullptr, QStringLiteral("Add Host"), {});
    whenModal([](QWidget* modal) {
        QTest::keyClicks(modal->focusWidget(), QStringLiteral("www.example.com"));
        QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
    });
    QVERIFY(input.exec());
    QCOMPARE(input.text(), std::string("www.example.com"));
}

void InputDialogTest::cancel_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Esc") << 0;
    QTest::newRow("Cancel button") << 1;
    QTest::newRow("close box") << 2;
}

void InputDialogTest::cancel()
{
    QFETCH(int, how);
    WidgetInputDialog input(nullptr, QStringLiteral("Alias"), QStringLiteral("old alias"));
    whenModal([how](QWidget* modal) {
        QTest::keyClicks(child<QLineEdit>(modal, "Edit1"), QStringLiteral(" new"));
        if (how == 0)
            QTest::keyClick(modal->focusWidget(), Qt::Key_Escape);
        else if (how == 1)
            child<QPushButton>(modal, "ButtonCancel")->click();
        else
            modal->close();
    });
    QVERIFY(!input.exec());
}

void InputDialogTest::setText_showsInEdit_andShownAgainAsItStands()
{
    WidgetInputDialog input(nullptr, QStringLiteral("Add Host"), {});
    whenModal([](QWidget* modal) {
        child<QLineEdit>(modal, "Edit1")->setText(QStringLiteral("  WWW.Example.COM "));
        child<QPushButton>(modal, "ButtonOK")->click();
    });
    QVERIFY(input.exec());
    // The caller writes the cleaned-up text back and shows the dialog again.
    input.setText("www.example.com");
    QString shown;
    whenModal([&](QWidget* modal) {
        shown = child<QLineEdit>(modal, "Edit1")->text();
        child<QPushButton>(modal, "ButtonCancel")->click();
    });
    QVERIFY(!input.exec());
    QCOMPARE(shown, QStringLiteral("www.example.com"));
}

void InputDialogTest::text_nonAsciiAndLong_unchanged()
{
    // The tests run with a UTF-8 locale, so the local 8-bit text is UTF-8.
    const std::string accented = "caf\xC3\xA9.example";
    WidgetInputDialog input(nullptr, QStringLiteral("Alias"), {});
    input.setText(accented);
    QCOMPARE(child<QLineEdit>(input.form(), "Edit1")->text(), QStringLiteral("caf\u00E9.example"));
    QCOMPARE(input.text(), accented);

    // No length limit: QLineEdit would otherwise cut at 32767 characters.
    const std::string long_(40000, 'a');
    input.setText(long_);
    QCOMPARE(input.text().size(), long_.size());
}

void InputDialogTest::opensCentredOverParent()
{
    QMainWindow window;
    window.setGeometry(100, 120, 650, 480);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    WidgetInputDialog input(&window, QStringLiteral("Find Host name"), {});
    QPoint centre;
    whenModal([&](QWidget* modal) {
        centre = modal->frameGeometry().center();
        modal->close();
    });
    input.exec();
    const QPoint expected = window.frameGeometry().center();
    QVERIFY2((centre - expected).manhattanLength() <= 2,
             qPrintable(QStringLiteral("centre %1,%2").arg(centre.x()).arg(centre.y())));
}

QTEST_MAIN(InputDialogTest)
#include "InputDialogTest.moc"
