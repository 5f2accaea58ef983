// The message box kinds: buttons, icon, default button, caption, what Esc and
// the close box answer, and plain text.

#include "ui/MessageBoxes.h"
#include "ui/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using quillon::core::Answer;
using quillon::core::MessageKind;
using quillon::test::whenModal;
using quillon::ui::showMessage;

Q_DECLARE_METATYPE(MessageKind)
Q_DECLARE_METATYPE(Answer)

class MessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void kinds_data();
    void kinds();
    void buttons_answer_data();
    void buttons_answer();
    void yesNo_escapeAndClose_ignored_data();
    void yesNo_escapeAndClose_ignored();
    void threeWay_escapeAndClose_answerCancel();
    void oneButton_escape_answersOk();
    void text_isPlain();
};

void MessageBoxesTest::kinds_data()
{
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");

    QTest::newRow("question, default Yes") << MessageKind::QuestionDefaultYes
                                           << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                           << QMessageBox::Question << QMessageBox::Yes;
    QTest::newRow("question, default No") << MessageKind::QuestionDefaultNo
                                          << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                          << QMessageBox::Question << QMessageBox::No;
    QTest::newRow("three-way") << MessageKind::ThreeWayDefaultNo
                               << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No
                                                               | QMessageBox::Cancel)
                               << QMessageBox::Question << QMessageBox::No;
    QTest::newRow("warning") << MessageKind::Warning << QMessageBox::StandardButtons(QMessageBox::Ok)
                             << QMessageBox::Warning << QMessageBox::Ok;
    QTest::newRow("information") << MessageKind::Information << QMessageBox::StandardButtons(QMessageBox::Ok)
                                 << QMessageBox::Information << QMessageBox::Ok;
}

void MessageBoxesTest::kinds()
{
    QFETCH(MessageKind, kind);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButton, defaultButton);

    bool inspected = false;
    whenModal([&](QWidget* modal) {
        auto* const box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        inspected = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(box->text(), QStringLiteral("Item not found."));
        QCOMPARE(box->standardButtons(), buttons);
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->defaultButton(), box->button(defaultButton));
        // Enter presses the default button.
        QTest::keyClick(box, Qt::Key_Return);
    });
    const Answer answer = showMessage(nullptr, QStringLiteral("Item not found."), kind);
    QVERIFY(inspected);
    const Answer expected = defaultButton == QMessageBox::Yes ? Answer::Yes
        : defaultButton == QMessageBox::No                    ? Answer::No
                                                              : Answer::Ok;
    QCOMPARE(answer, expected);
}

void MessageBoxesTest::buttons_answer_data()
{
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::addColumn<Answer>("answer");

    QTest::newRow("default Yes, No pressed") << MessageKind::QuestionDefaultYes << QMessageBox::No << Answer::No;
    QTest::newRow("default No, Yes pressed") << MessageKind::QuestionDefaultNo << QMessageBox::Yes << Answer::Yes;
    QTest::newRow("three-way, Yes") << MessageKind::ThreeWayDefaultNo << QMessageBox::Yes << Answer::Yes;
    QTest::newRow("three-way, Cancel") << MessageKind::ThreeWayDefaultNo << QMessageBox::Cancel << Answer::Cancel;
}

void MessageBoxesTest::buttons_answer()
{
    QFETCH(MessageKind, kind);
    QFETCH(QMessageBox::StandardButton, button);
    QFETCH(Answer, answer);

    whenModal([&](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(button)->click(); });
    QCOMPARE(showMessage(nullptr, QStringLiteral("Abort operation ?"), kind), answer);
}

void MessageBoxesTest::yesNo_escapeAndClose_ignored_data()
{
    QTest::addColumn<MessageKind>("kind");
    QTest::newRow("default Yes") << MessageKind::QuestionDefaultYes;
    QTest::newRow("default No") << MessageKind::QuestionDefaultNo;
}

void MessageBoxesTest::yesNo_escapeAndClose_ignored()
{
    QFETCH(MessageKind, kind);

    bool stayedOpen = false;
    bool noCloseButton = false;
    whenModal([&](QWidget* modal) {
        auto* const box = qobject_cast<QMessageBox*>(modal);
        noCloseButton = !(box->windowFlags() & Qt::WindowCloseButtonHint);
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        stayedOpen = box->isVisible();
        box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(showMessage(nullptr, QStringLiteral("Delete the selected Hosts ?"), kind), Answer::Yes);
    QVERIFY(stayedOpen);
    QVERIFY(noCloseButton);
}

void MessageBoxesTest::threeWay_escapeAndClose_answerCancel()
{
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(showMessage(nullptr, QStringLiteral("Overwrite ?"), MessageKind::ThreeWayDefaultNo), Answer::Cancel);

    whenModal([](QWidget* modal) { modal->close(); });
    QCOMPARE(showMessage(nullptr, QStringLiteral("Overwrite ?"), MessageKind::ThreeWayDefaultNo), Answer::Cancel);
}

void MessageBoxesTest::oneButton_escape_answersOk()
{
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(showMessage(nullptr, QStringLiteral("Invalid Host name."), MessageKind::Warning), Answer::Ok);
}

void MessageBoxesTest::text_isPlain()
{
    const QString text = QStringLiteral("<b>a</b>.example.com");
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    whenModal([&](QWidget* modal) {
        auto* const box = qobject_cast<QMessageBox*>(modal);
        format = box->textFormat();
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    showMessage(nullptr, text, MessageKind::Information);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, text);
}

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
