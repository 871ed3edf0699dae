#include "ui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

using tw::ui::MessageKind;

namespace {

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    bool onTop = false;
    Qt::TextFormat format = Qt::AutoText;
    QString text, caption, details;
    int beepsBefore = 0;
};

int beeps = 0;

// Runs show while a timer looks at the box it opens and presses the answer.
Seen seeBox(const std::function<void()>& show,
            QMessageBox::StandardButton answer = QMessageBox::Ok) {
    Seen seen;
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seen = {box->icon(),
                box->standardButtons(),
                box->windowModality(),
                box->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                box->textFormat(),
                box->text(),
                box->windowTitle(),
                box->detailedText(),
                beeps};
        box->button(answer)->click();
    });
    show();
    return seen;
}

} // namespace

class MessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        beeps = 0;
        tw::ui::setBeep([] { ++beeps; });
    }
    void cleanup() { tw::ui::setBeep({}); }

    void eachKindBeepsFirstExceptInformationAndShowsItsIconAndButtons() {
        struct Row {
            MessageKind kind;
            QMessageBox::Icon icon;
            QMessageBox::StandardButtons buttons;
            int beeps;
        };
        const std::vector<Row> table = {
            {MessageKind::Refusal, QMessageBox::Critical, QMessageBox::Ok, 1},
            {MessageKind::Warning, QMessageBox::Warning, QMessageBox::Ok, 1},
            {MessageKind::Question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, 1},
            {MessageKind::Information, QMessageBox::Information, QMessageBox::Ok, 0},
        };
        for (const Row& row : table) {
            beeps = 0;
            const QMessageBox::StandardButton answer =
                row.kind == MessageKind::Question ? QMessageBox::No : QMessageBox::Ok;
            QMessageBox::StandardButton result = QMessageBox::NoButton;
            const Seen seen =
                seeBox([&] { result = tw::ui::showMessage(row.kind, "<b>a</b>\r\nb", "Caption"); },
                       answer);
            QCOMPARE(seen.icon, row.icon);
            QCOMPARE(seen.buttons, row.buttons);
            QCOMPARE(seen.beepsBefore, row.beeps);
            QCOMPARE(seen.modality, Qt::ApplicationModal);
            QVERIFY(seen.onTop);
            // A file name with markup characters shows as written.
            QCOMPARE(seen.format, Qt::PlainText);
            QCOMPARE(seen.text, QString("<b>a</b>\r\nb"));
            QCOMPARE(seen.caption, QString("Caption"));
            QCOMPARE(result, answer);
        }
        // Only Yes goes ahead.
        QVERIFY(!seeBox([] { QVERIFY(!tw::ui::ask("Go?", "Q")); }, QMessageBox::No).text.isEmpty());
        QVERIFY(!seeBox([] { QVERIFY(tw::ui::ask("Go?", "Q")); }, QMessageBox::Yes).text.isEmpty());
    }

    void msgDialogTakesTheIconOfTheExactKindWordWithoutABeep() {
        const std::vector<std::pair<std::string, QMessageBox::Icon>> words = {
            {"Warning", QMessageBox::Warning}, {"Info", QMessageBox::Information},
            {"Quest", QMessageBox::Question},  {"Error", QMessageBox::Critical},
            {"info", QMessageBox::NoIcon},     {"", QMessageBox::NoIcon},
        };
        for (const auto& [word, icon] : words) {
            const Seen seen = seeBox([&word] {
                tw::ui::MsgDialog(nullptr, "Report", QMessageBox::Ok, word, "Report...");
            });
            QCOMPARE(seen.icon, icon);
        }
        QCOMPARE(beeps, 0);

        const Seen seen = seeBox([] {
            tw::ui::MsgDialog(nullptr, "Report", QMessageBox::Ok, "Info", "Report...",
                              "a.mp3: not found");
        });
        QCOMPARE(seen.details, QString("a.mp3: not found"));
        QCOMPARE(seen.modality, Qt::ApplicationModal);
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
