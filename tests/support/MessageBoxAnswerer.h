#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

class QAbstractButton;

namespace tw::test {

// A message box as the user saw it.
struct SeenMessageBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text, details;
};

// What the message box shows.
SeenMessageBox describe(const QMessageBox& box);

// The button a scripted user presses on the box: on a question (a box with Yes) the next of
// the queued answers, taken from the queue, or No when none is left; on any other box Ok.
// Null when the box has no such button.
QAbstractButton* scriptedButton(QMessageBox& box, std::deque<QMessageBox::StandardButton>& answers);

// The user in front of the message boxes while it lives: every message box that becomes the
// active modal window is read and answered as scriptedButton() says, in the nested event
// loop that runs it. Other modal windows are left to onOtherModal.
class MessageBoxAnswerer : public QObject {
public:
    explicit MessageBoxAnswerer(std::deque<QMessageBox::StandardButton> answers = {});

    // Called with each box as it is seen, before it is answered.
    std::function<void(QMessageBox& box)> onBox;
    // Called with a modal window that is not a message box, at each look.
    std::function<void(QWidget& modal)> onOtherModal;

    const std::vector<SeenMessageBox>& seen() const { return m_seen; }
    // Runs the event loop until `count` boxes have been answered; false on time-out.
    bool waitForAnswers(std::size_t count, int timeoutMs = 5000);

private:
    void look();

    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<SeenMessageBox> m_seen;
    QTimer m_timer;
};

} // namespace tw::test
