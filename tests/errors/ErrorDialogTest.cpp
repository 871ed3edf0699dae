#include "errors/gui/ErrorDialog.h"
#include "errors/ErrorReporter.h"
#include "errors/MailReport.h"
#include "errors/ProgramIdentity.h"
#include "errors/gui/ErrorWindowPresenter.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "platform/MailHandOver.h"

#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <stdexcept>

using tw::errors::ErrorDialog;
using tw::errors::ErrorReporter;
using tw::platform::MailMessage;

namespace {

// The mail client: takes the message, declines it or fails; notes what it was given.
class FakeMail : public tw::platform::MailHandOver {
public:
    enum Outcome { Takes, Declines, Throws };
    Outcome outcome = Takes;
    int calls = 0;
    MailMessage message;
    std::string attachment; // read while the client has the message
    bool formVisible = true;

    bool handOver(const MailMessage& m) override {
        ++calls;
        message = m;
        attachment = tw::test::readFile(m.attachmentPath);
        const QWidgetList windows = QApplication::topLevelWidgets();
        formVisible = std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
            return qobject_cast<ErrorDialog*>(w) != nullptr && w->isVisible();
        });
        if (outcome == Throws)
            throw std::runtime_error("mail client crashed");
        return outcome == Takes;
    }
};

// Answers the next message box with OK once it shows; hands its text over ("wrong icon" for a
// box that is no warning).
void acceptNextMessageBox(QString* text) {
    auto* user = new tw::test::MessageBoxAnswerer;
    user->onBox = [user, text](QMessageBox& box) {
        *text = box.icon() == QMessageBox::Warning ? box.text() : "wrong icon";
        user->deleteLater();
    };
}

int records(const std::string& log) {
    int count = 0;
    for (std::size_t at = log.find("SSCN = "); at != std::string::npos;
         at = log.find("SSCN = ", at + 1))
        ++count;
    return count;
}

} // namespace

class ErrorFormTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void cleanup() {
        ErrorDialog::setMailHandOver(nullptr);
        m_strings = tw::i18n::StringTable{};
        ErrorReporter::instance().setWindowOpen(false);
        ErrorReporter::instance().setTerminateRequested(false);
    }

    void controlsCarryStringTableCaptionsAndCode() {
        auto& t = m_strings;
        t.applyLine(77, "Program error");
        t.StrIgnore = "Ignore";
        ErrorDialog form(m_strings);
        form.setErrorCode("2.004 - 003.0");
        QCOMPARE(form.windowTitle(), QString("Program error..."));
        QCOMPARE(form.findChild<QLabel*>("headlineLabel")->text(),
                 QString("Program error Tunewagon !"));
        QCOMPARE(form.findChild<QPushButton*>("ignoreButton")->text(), QString("Ignore"));
        QCOMPARE(form.findChild<QLabel*>("codeLabel")->text(),
                 QString("Внутренний код ошибки: 2.004 - 003.0"));
        QCOMPARE(form.findChild<QPushButton*>("closeProgramButton")->text(),
                 QString("Закрыть программу"));
        QCOMPARE(form.findChild<QPushButton*>("mailButton")->text(), QString("Сообщить автору..."));
        QCOMPARE(form.findChild<QLabel*>("apologyLabel")->text(),
                 QString("Приносим извинения за неудобства."));
        QCOMPARE(form.findChild<QLabel*>("reinstallLabel")->text(),
                 QString("Если ошибка будет повторяться, переустановите программу."));
        QCOMPARE(form.findChild<QLabel*>("chooseLabel")->text(),
                 QString("Выберите действие которое нужно выполнить:"));
        for (const char* name : {"headerPanel", "icon", "codePanel", "messagePanel", "separator"})
            QVERIFY2(form.findChild<QWidget*>(name) != nullptr, name);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.width() >= 528 && form.height() >= 171);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        // Texts from language files are shown as written, never laid out as markup.
        for (QLabel* label : form.findChildren<QLabel*>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    }

    // A language file with very long texts: they wrap, and the window and its buttons stay
    // on the screen.
    void longLanguageTextsKeepTheWindowOnTheScreen() {
        auto& t = m_strings;
        QString sentence;
        for (int i = 0; i < 300; ++i)
            sentence += "word ";
        t.StrApology = t.StrReinstall = t.StrErrorChoose = sentence.toStdString();
        t.StrErrorHeadline = std::string(2000, 'w');
        ErrorDialog form(m_strings);
        form.setErrorCode("2.004 - 003.0");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect screen = form.screen()->availableGeometry();
        QVERIFY2(screen.contains(form.frameGeometry()), qPrintable(QString("%1x%2 at %3,%4")
                                                                       .arg(form.width())
                                                                       .arg(form.height())
                                                                       .arg(form.x())
                                                                       .arg(form.y())));
        for (const char* name : {"closeProgramButton", "ignoreButton", "mailButton"}) {
            auto* button = form.findChild<QPushButton*>(name);
            QVERIFY2(
                form.rect().contains(QRect(button->mapTo(&form, QPoint(0, 0)), button->size())),
                name);
        }
    }

    // With TW_SHOTS set to a folder: pictures of the window in Russian and in English.
    void screenshots() {
        const QByteArray folder = qgetenv("TW_SHOTS");
        if (folder.isEmpty())
            QSKIP("TW_SHOTS not set");
        for (const char* language : {"Russian", "English"}) {
            tw::i18n::loadLanguageFile(m_strings, TW_PROGRAM_DIR, language);
            ErrorDialog form(m_strings);
            form.setErrorCode("2.004 - 003.0");
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(
                form.grab().save(QString::fromUtf8(folder) + "/error-window-" + language + ".png"));
        }
    }

    void windowOpenFlagLastsFromCreationToClose() {
        QVERIFY(!ErrorReporter::instance().windowOpen());
        {
            ErrorDialog form(m_strings);
            QVERIFY(ErrorReporter::instance().windowOpen());
            form.show();
            QTest::mouseClick(form.findChild<QPushButton*>("ignoreButton"), Qt::LeftButton);
            QVERIFY(!form.isVisible());
            QVERIFY(!ErrorReporter::instance().windowOpen());
        }
        {
            ErrorDialog form(m_strings);
            form.show();
            form.close(); // the close box
            QVERIFY(!ErrorReporter::instance().windowOpen());
        }
        { ErrorDialog never(m_strings); }
        QVERIFY(!ErrorReporter::instance().windowOpen());
    }

    // The presenter shows the window modally and returns once it is dismissed; a report
    // made meanwhile is dropped.
    void presenterReturnsAfterIgnoreAndDropsNestedReports() {
        tw::errors::ErrorWindowPresenter presenter(m_strings);
        bool sawOpen = false;
        QString shownCode;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<ErrorDialog*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            sawOpen = ErrorReporter::instance().windowOpen();
            shownCode = form->findChild<QLabel*>("codeLabel")->text();
            form->findChild<QPushButton*>("ignoreButton")->click();
        });
        presenter.showError("2.002 - 002.0");
        QVERIFY(sawOpen);
        QVERIFY(shownCode.endsWith(" 2.002 - 002.0"));
        QVERIFY(!ErrorReporter::instance().windowOpen());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // A mail client that takes the report finds the log aside as SendingDebug.Log (replacing
    // the one of an earlier report) while it has the message; the window comes back with the
    // button disabled, and the next failure starts a new log. When no client takes it, the
    // user is told where the log is, and its records stay in the log, to be sent next time.
    void mailReportMovesTheLogAsideWhenTakenAndKeepsItWhenNot() {
        tw::test::TempFolder program;
        ErrorReporter::instance().setProgramFolder(program.path());
        FakeMail mail;
        ErrorDialog::setMailHandOver(&mail);
        const std::string log = program / "ErrorLog/Debug.Log";
        const std::string sending = program / "ErrorLog/SendingDebug.Log";
        int round = 0;
        for (auto outcome : {FakeMail::Takes, FakeMail::Declines, FakeMail::Throws}) {
            const std::string content = "log of round " + std::to_string(++round) + "\r\n";
            tw::test::writeFile(log, content);
            mail.outcome = outcome;
            QStringList boxes;
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [&boxes] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr || !box->isVisible())
                    return;
                boxes << (box->icon() == QMessageBox::Warning ? box->text() : "wrong icon");
                box->button(QMessageBox::Ok)->click();
            });
            answer.start(5);
            {
                ErrorDialog form(m_strings);
                form.show();
                QTest::mouseClick(form.findChild<QPushButton*>("mailButton"), Qt::LeftButton);
                QVERIFY(form.isVisible());
                QVERIFY(!form.findChild<QPushButton*>("mailButton")->isEnabled());
            }
            answer.stop();
            QCOMPARE(boxes.value(0), QString::fromStdString(m_strings.StrMailNote));
            QCOMPARE(mail.calls, round);
            QVERIFY2(!mail.formVisible, "the error window stays up while the client has the mail");
            QCOMPARE(mail.message.recipient, std::string(tw::AuthorAddress));
            QCOMPARE(mail.message.subject, m_strings.StrMailSubject);
            QCOMPARE(mail.message.attachmentPath, sending);
            QCOMPARE(mail.attachment, content);
            if (outcome == FakeMail::Takes) {
                QCOMPARE(boxes.size(), 1);
                QVERIFY(!QFile::exists(QString::fromStdString(log)));
                QCOMPARE(tw::test::readFile(sending), content);
            } else {
                QCOMPARE(boxes.size(), 2);
                QVERIFY2(boxes[1].contains(QString::fromStdString(log)), qPrintable(boxes[1]));
                QVERIFY(!QFile::exists(QString::fromStdString(sending)));
                QCOMPARE(tw::test::readFile(log), content);
            }
        }
        // The unsent records stay ahead of the next failure's.
        ErrorReporter::instance().report("2.004 - 003.0", "std::runtime_error", "");
        const std::string after = tw::test::readFile(log);
        QVERIFY(after.starts_with("log of round 3\r\n"));
        QCOMPARE(records(after), 1);

        // Records written while the report was out go after the unsent ones.
        tw::test::writeFile(sending, "unsent\r\n");
        tw::test::writeFile(log, "newer\r\n");
        QCOMPARE(tw::errors::keepUnsentLog(program.path()), log);
        QCOMPARE(tw::test::readFile(log), std::string("unsent\r\nnewer\r\n"));
        QVERIFY(!QFile::exists(QString::fromStdString(sending)));
        ErrorReporter::instance().setProgramFolder({});
    }

    // The window goes away while the mail client has the message, yet the report is still
    // being shown: the reporter returns only when the user dismisses the window afterwards.
    void errorWindowStaysModalAcrossTheMailReport() {
        tw::test::TempFolder program;
        ErrorReporter::instance().setProgramFolder(program.path());
        FakeMail mail;
        ErrorDialog::setMailHandOver(&mail);
        tw::errors::ErrorWindowPresenter presenter(m_strings);
        QString note;
        bool modalAfterReport = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<ErrorDialog*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            acceptNextMessageBox(&note);
            form->findChild<QPushButton*>("mailButton")->click();
            QTimer::singleShot(0, [&, form] {
                modalAfterReport = QApplication::activeModalWidget() == form && form->isVisible();
                form->findChild<QPushButton*>("ignoreButton")->click();
            });
        });
        presenter.showError("2.001 - 007.0");
        QCOMPARE(mail.calls, 1);
        QVERIFY(modalAfterReport);
        QVERIFY(!ErrorReporter::instance().windowOpen());
        ErrorReporter::instance().setProgramFolder({});
    }

    // Kept last: asking the application to end stops the event loops of this process.
    void closeProgramRequestsTerminationAndEndsModalDisplay() {
        tw::errors::ErrorWindowPresenter presenter(m_strings);
        QTimer::singleShot(0, [] {
            auto* form = qobject_cast<ErrorDialog*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            form->findChild<QPushButton*>("closeProgramButton")->click();
        });
        presenter.showError("2.001 - 003.0");
        QVERIFY(ErrorReporter::instance().terminateRequested());
        QVERIFY(!ErrorReporter::instance().windowOpen());
    }
};

QTEST_MAIN(ErrorFormTest)
#include "ErrorDialogTest.moc"
