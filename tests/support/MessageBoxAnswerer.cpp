#include "support/MessageBoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QtTest>

#include <utility>

namespace tw::test {

SeenMessageBox describe(const QMessageBox& box) {
    return {box.icon(), box.windowTitle(), box.text(), box.detailedText()};
}

QAbstractButton* scriptedButton(QMessageBox& box,
                                std::deque<QMessageBox::StandardButton>& answers) {
    if (box.button(QMessageBox::Yes) == nullptr)
        return box.button(QMessageBox::Ok);
    QMessageBox::StandardButton answer = QMessageBox::No;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    return box.button(answer);
}

MessageBoxAnswerer::MessageBoxAnswerer(std::deque<QMessageBox::StandardButton> answers)
    : m_answers(std::move(answers)) {
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::look);
    m_timer.start(2);
}

bool MessageBoxAnswerer::waitForAnswers(std::size_t count, int timeoutMs) {
    return QTest::qWaitFor([&] { return m_seen.size() >= count; }, timeoutMs);
}

void MessageBoxAnswerer::look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return;
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
        if (onOtherModal)
            onOtherModal(*modal);
        return;
    }
    // A box being closed may still be the modal window for a moment: answered once.
    if (box->property("answeredByTest").toBool())
        return;
    box->setProperty("answeredByTest", true);
    m_seen.push_back(describe(*box));
    if (onBox)
        onBox(*box);
    // The box was answered by onBox itself.
    if (!box->isVisible())
        return;
    if (QAbstractButton* button = scriptedButton(*box, m_answers))
        button->click();
    else
        box->reject();
}

} // namespace tw::test
