#include "app/gui/TunewagonApplication.h"

#include "support/MessageBoxAnswerer.h"

#include <QTimer>
#include <QtTest>

#include <stdexcept>

namespace {

struct NotAStdException {};

// Throws from an event handler, then reads and dismisses the message box that follows.
QString textShownFor(void (*thrower)()) {
    tw::test::MessageBoxAnswerer user;
    QTimer::singleShot(0, thrower);
    if (!user.waitForAnswers(1))
        return "timed out";
    return user.seen().front().text;
}

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void unguardedFailureShowsItsTextAndProgramGoesOn() {
        QCOMPARE(textShownFor([] { throw std::runtime_error("list vanished"); }),
                 QString("list vanished"));
        // The loop is still alive for the next event.
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QTRY_VERIFY(ran);
    }

    void failureWithoutTextShowsItsTypeName() {
        QCOMPARE(textShownFor([] { throw NotAStdException{}; }),
                 QString("(anonymous namespace)::NotAStdException"));
    }
};

int main(int argc, char** argv) {
    tw::app::TunewagonApplication application(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ApplicationTest.moc"
