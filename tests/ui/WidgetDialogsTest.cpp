// The widget implementation of the dialogs interface: questions, prompts and
// input dialogs open over the window with the logic's text converted, and the
// work-panel calls reach the window's panel.

#include "ui/ModalAnswer.h"
#include "ui/WidgetDialogs.h"
#include "ui/WorkPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace quillon;
using quillon::test::child;
using quillon::test::whenModal;

class WidgetDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ask_opensOverWindow_withText();
    void prompt_showsHostAndVariant();
    void input_captionAndText_roundTrip();
    void workPanel_callsReachPanel();

private:
    std::unique_ptr<QWidget> m_window;
    ui::WorkPanel* m_panel = nullptr;
    std::unique_ptr<ui::WidgetDialogs> m_dialogs;
};

void WidgetDialogsTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(650, 480);
    m_panel = new ui::WorkPanel(m_window.get());
    m_window->show();
    m_dialogs = std::make_unique<ui::WidgetDialogs>(m_window.get(), *m_panel);
}

void WidgetDialogsTest::cleanup()
{
    m_dialogs.reset();
    m_window.reset();
}

void WidgetDialogsTest::ask_opensOverWindow_withText()
{
    QWidget* parent = nullptr;
    QString text;
    whenModal([&](QWidget* modal) {
        parent = modal->parentWidget();
        text = qobject_cast<QMessageBox*>(modal)->text();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click();
    });
    const core::Answer answer
        = m_dialogs->ask("Delete <caf\xC3\xA9.example> ?", core::MessageKind::QuestionDefaultYes);
    QCOMPARE(answer, core::Answer::No);
    QCOMPARE(parent, m_window.get());
    QCOMPARE(text, QStringLiteral("Delete <caf\u00E9.example> ?"));
}

void WidgetDialogsTest::prompt_showsHostAndVariant()
{
    const auto prompt = m_dialogs->unverifiablePrompt("bad.example", core::PromptVariant::Reverification);
    QString host;
    QString button1;
    whenModal([&](QWidget* modal) {
        host = child<QLabel>(modal, "LabelURL")->text();
        button1 = child<QPushButton>(modal, "Button1")->text();
        child<QPushButton>(modal, "Button1")->click();
    });
    QCOMPARE(prompt->exec(), 1);
    QCOMPARE(host, QStringLiteral("bad.example"));
    QCOMPARE(button1, QStringLiteral("&Delete"));
    QVERIFY(!prompt->autoResult());
}

void WidgetDialogsTest::input_captionAndText_roundTrip()
{
    const auto input = m_dialogs->inputDialog("Alias", "my alias");
    QString caption;
    whenModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        QCOMPARE(child<QLineEdit>(modal, "Edit1")->text(), QStringLiteral("my alias"));
        child<QLineEdit>(modal, "Edit1")->setText(QStringLiteral("other"));
        child<QPushButton>(modal, "ButtonOK")->click();
    });
    QVERIFY(input->exec());
    QCOMPARE(caption, QStringLiteral("Alias"));
    QCOMPARE(input->text(), std::string("other"));
}

void WidgetDialogsTest::workPanel_callsReachPanel()
{
    QVERIFY(!m_dialogs->workPanelVisible());
    core::WorkPanelSetup setup;
    setup.action = "Verifying Host:";
    setup.percent = "0%";
    m_dialogs->showWorkPanel(setup);
    QVERIFY(m_dialogs->workPanelVisible());
    QVERIFY(m_panel->isVisible());

    m_dialogs->setWorkAction("Verifying Host (2 of 3):");
    m_dialogs->setWorkUrl("www.example.com");
    m_dialogs->setWorkProgress(66);
    m_dialogs->setWorkCancelEnabled(false);
    m_dialogs->repaintWorkPanel();
    QCOMPARE(child<QLabel>(m_panel, "WorkLabelAction")->text(), QStringLiteral("Verifying Host (2 of 3):"));
    QCOMPARE(child<QLabel>(m_panel, "WorkLabelURL")->text(), QStringLiteral("www.example.com"));
    QCOMPARE(child<QLabel>(m_panel, "WorkLabelPercent")->text(), QStringLiteral("66%"));
    QCOMPARE(m_dialogs->workProgress(), 66);
    QVERIFY(!child<QPushButton>(m_panel, "WorkButtonCancel")->isEnabled());

    // The window hidden in the tray: the panel still counts as shown.
    m_window->hide();
    QVERIFY(m_dialogs->workPanelVisible());
    m_window->show();

    m_dialogs->hideWorkPanel();
    QVERIFY(!m_dialogs->workPanelVisible());
    QVERIFY(!m_panel->isVisible());
}

QTEST_MAIN(WidgetDialogsTest)
#include "WidgetDialogsTest.moc"
