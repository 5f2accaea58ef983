#include "ui/MessageBoxes.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace quillon::ui {

namespace {

// The box, which for a Yes/No question refuses Esc and closing: QMessageBox
// would otherwise take either as No, which for "question, default Yes" is an
// answer nobody chose.
class MessageBoxWindow final : public QMessageBox {
public:
    MessageBoxWindow(QWidget* parent, bool buttonsOnly)
        : QMessageBox(parent)
        , m_buttonsOnly(buttonsOnly)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_buttonsOnly && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_buttonsOnly && clickedButton() == nullptr) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    const bool m_buttonsOnly;
};

bool isYesNo(core::MessageKind kind)
{
    return kind == core::MessageKind::QuestionDefaultYes || kind == core::MessageKind::QuestionDefaultNo;
}

void setUp(QMessageBox& box, core::MessageKind kind)
{
    switch (kind) {
    case core::MessageKind::QuestionDefaultYes:
    case core::MessageKind::QuestionDefaultNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(kind == core::MessageKind::QuestionDefaultYes ? QMessageBox::Yes : QMessageBox::No);
        box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        break;
    case core::MessageKind::ThreeWayDefaultNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case core::MessageKind::Warning:
    case core::MessageKind::Information:
        box.setIcon(kind == core::MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
}

} // namespace

core::Answer showMessage(QWidget* parent, const QString& text, core::MessageKind kind)
{
    MessageBoxWindow box(parent, isYesNo(kind));
    box.setWindowTitle(QStringLiteral("Quillon"));
    // Host names come from outside; a "<" must never turn the text into HTML.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    setUp(box, kind);
    box.exec();

    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return core::Answer::Yes;
    case QMessageBox::No:
        return core::Answer::No;
    case QMessageBox::Cancel:
        return core::Answer::Cancel;
    case QMessageBox::Ok:
        return core::Answer::Ok;
    default:
        return core::unansweredAnswer(kind);
    }
}

} // namespace quillon::ui
