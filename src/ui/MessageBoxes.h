#pragma once

#include <QMessageBox>

#include <functional>
#include <string>
#include <string_view>

class QWidget;

// The program's message boxes. Every box follows one table of conventions, so a caller names
// only its text, caption and kind:
//
//   kind          beep first   buttons    icon
//   Refusal       yes          OK         stop (critical)
//   Warning       yes          OK         exclamation
//   Question      yes          Yes, No    question       (only Yes goes ahead)
//   Information   no           OK         information
//
// Every box is application-modal and stays on top of the program's windows.
namespace tw::ui {

enum class MessageKind { Refusal, Warning, Question, Information };

// Shows the box after its beep and returns the button pressed. details, when not empty,
// goes into the box's "Show details..." area.
QMessageBox::StandardButton showMessage(MessageKind kind, const std::string& text,
                                        const std::string& caption, QWidget* parent = nullptr,
                                        const std::string& details = {});

// A question box; true when the user answered Yes.
bool ask(const std::string& text, const std::string& caption, QWidget* parent = nullptr);

// The main window's message routine: the icon of the kind word ("Warning", "Info", "Quest",
// "Error", compared exactly; any other word shows no icon) on a box with the caller's
// buttons. No beep is sounded. The box has no parent window; when it closes, the owner (if
// any) is brought to the front again. Returns the button pressed.
QMessageBox::StandardButton MsgDialog(QWidget* owner, const std::string& text,
                                      QMessageBox::StandardButtons buttons, std::string_view kind,
                                      const std::string& caption, const std::string& details = {});

// As MsgDialog with an OK button, and one more button whose caption is action (objectName
// "actionButton"); true when the user pressed that one.
bool MsgDialogOffering(QWidget* owner, const std::string& text, std::string_view kind,
                       const std::string& caption, const std::string& details,
                       const std::string& action);

// The icon a kind word stands for.
QMessageBox::Icon iconOfKind(std::string_view kind);

// Replaces the beep (tests count beeps with it); an empty function restores the system beep.
void setBeep(std::function<void()> beep);

} // namespace tw::ui
