#include "ui/MessageBoxes.h"

#include "ui/WindowParts.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <utility>

namespace tw::ui {

namespace {

std::function<void()>& beepFunction() {
    static std::function<void()> beep;
    return beep;
}

void beep() {
    if (beepFunction())
        beepFunction()();
    else
        QApplication::beep();
}

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Refusal:
        return QMessageBox::Critical;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Question:
        return QMessageBox::Question;
    case MessageKind::Information:
        break;
    }
    return QMessageBox::Information;
}

// action, when given, is one more button of the caller's; *actionChosen tells whether it
// was pressed.
QMessageBox::StandardButton execBox(QMessageBox::Icon icon, const std::string& text,
                                    const std::string& caption,
                                    QMessageBox::StandardButtons buttons, QWidget* parent,
                                    const std::string& details, const std::string* action = nullptr,
                                    bool* actionChosen = nullptr) {
    QMessageBox box(icon, q(caption), q(text), buttons, parent);
    QPushButton* actionButton =
        action != nullptr ? box.addButton(q(*action), QMessageBox::ActionRole) : nullptr;
    if (actionButton != nullptr)
        actionButton->setObjectName("actionButton");
    box.setObjectName("MessageBox");
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // The text is the program's own, never markup: a file name with "<" shows as written.
    box.setTextFormat(Qt::PlainText);
    if (!details.empty())
        box.setDetailedText(q(details));
    if (buttons.testFlag(QMessageBox::Yes))
        box.setDefaultButton(QMessageBox::Yes);
    else if (buttons.testFlag(QMessageBox::Ok))
        box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (actionChosen != nullptr)
        *actionChosen = actionButton != nullptr && box.clickedButton() == actionButton;
    if (QAbstractButton* clicked = box.clickedButton())
        return box.standardButton(clicked);
    // Closed without a button: the answer that goes no further.
    return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

} // namespace

QMessageBox::StandardButton showMessage(MessageKind kind, const std::string& text,
                                        const std::string& caption, QWidget* parent,
                                        const std::string& details) {
    if (kind != MessageKind::Information)
        beep();
    const QMessageBox::StandardButtons buttons =
        kind == MessageKind::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    return execBox(iconOf(kind), text, caption, buttons, parent, details);
}

bool ask(const std::string& text, const std::string& caption, QWidget* parent) {
    return showMessage(MessageKind::Question, text, caption, parent) == QMessageBox::Yes;
}

QMessageBox::Icon iconOfKind(std::string_view kind) {
    if (kind == "Warning")
        return QMessageBox::Warning;
    if (kind == "Info")
        return QMessageBox::Information;
    if (kind == "Quest")
        return QMessageBox::Question;
    if (kind == "Error")
        return QMessageBox::Critical;
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton MsgDialog(QWidget* owner, const std::string& text,
                                      QMessageBox::StandardButtons buttons, std::string_view kind,
                                      const std::string& caption, const std::string& details) {
    const QMessageBox::StandardButton result =
        execBox(iconOfKind(kind), text, caption, buttons, nullptr, details);
    if (owner != nullptr) {
        owner->raise();
        owner->activateWindow();
    }
    return result;
}

bool MsgDialogOffering(QWidget* owner, const std::string& text, std::string_view kind,
                       const std::string& caption, const std::string& details,
                       const std::string& action) {
    bool chosen = false;
    execBox(iconOfKind(kind), text, caption, QMessageBox::Ok, nullptr, details, &action, &chosen);
    if (owner != nullptr) {
        owner->raise();
        owner->activateWindow();
    }
    return chosen;
}

void setBeep(std::function<void()> beep) {
    beepFunction() = std::move(beep);
}

} // namespace tw::ui
