#include "errors/ErrorForm.h"
#include "errors/ErrorReporter.h"
#include "errors/ErrorWindowPresenter.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using tw::errors::ErrorReporter;
using tw::errors::TForm5;

class ErrorFormTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        tw::i18n::strings().resetToBuiltIn();
        ErrorReporter::instance().setWindowOpen(false);
        ErrorReporter::instance().setTerminateRequested(false);
    }

    void controlsCarryStringTableCaptionsAndCode() {
        auto& t = tw::i18n::strings();
        t.applyLine(77, "Program error");
        t.StrIgnore = "Ignore";
        TForm5 form;
        form.setErrorCode("2.004 - 003.0");
        QCOMPARE(form.windowTitle(), QString("Program error..."));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("Program error Tunewagon !"));
        QCOMPARE(form.findChild<QPushButton*>("Button3")->text(), QString("Ignore"));
        QCOMPARE(form.findChild<QLabel*>("Label2")->text(),
                 QString("Внутренний код ошибки: 2.004 - 003.0"));
        QCOMPARE(form.findChild<QPushButton*>("Button2")->text(), QString("Закрыть программу"));
        QCOMPARE(form.findChild<QPushButton*>("Button4")->text(), QString("Сообщить автору..."));
        QCOMPARE(form.findChild<QLabel*>("Label6")->text(),
                 QString("Приносим извинения за неудобства."));
        QCOMPARE(form.findChild<QLabel*>("Label3")->text(),
                 QString("Если ошибка будет повторяться, переустановите программу."));
        QCOMPARE(form.findChild<QLabel*>("Label5")->text(),
                 QString("Выберите действие которое нужно выполнить:"));
        for (const char* name : {"Panel3", "Image1", "Panel2", "Panel1", "Bevel1"})
            QVERIFY2(form.findChild<QWidget*>(name) != nullptr, name);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.width() >= 528 && form.height() >= 171);
        QCOMPARE(form.minimumSize(), form.maximumSize());
    }

    // With TW_SHOTS set to a folder: pictures of the window in Russian and in English.
    void screenshots() {
        const QByteArray folder = qgetenv("TW_SHOTS");
        if (folder.isEmpty())
            QSKIP("TW_SHOTS not set");
        for (const char* language : {"Russian", "English"}) {
            tw::i18n::loadLanguageFile(tw::i18n::strings(), TW_PROGRAM_DIR, language);
            TForm5 form;
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
            TForm5 form;
            QVERIFY(ErrorReporter::instance().windowOpen());
            form.show();
            QTest::mouseClick(form.findChild<QPushButton*>("Button3"), Qt::LeftButton);
            QVERIFY(!form.isVisible());
            QVERIFY(!ErrorReporter::instance().windowOpen());
        }
        {
            TForm5 form;
            form.show();
            form.close(); // the close box
            QVERIFY(!ErrorReporter::instance().windowOpen());
        }
        { TForm5 never; }
        QVERIFY(!ErrorReporter::instance().windowOpen());
    }

    // The presenter shows the window modally and returns once it is dismissed; a report
    // made meanwhile is dropped.
    void presenterReturnsAfterIgnoreAndDropsNestedReports() {
        tw::errors::ErrorWindowPresenter presenter;
        bool sawOpen = false;
        QString shownCode;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            sawOpen = ErrorReporter::instance().windowOpen();
            shownCode = form->findChild<QLabel*>("Label2")->text();
            form->findChild<QPushButton*>("Button3")->click();
        });
        presenter.showError("2.002 - 002.0");
        QVERIFY(sawOpen);
        QVERIFY(shownCode.endsWith(" 2.002 - 002.0"));
        QVERIFY(!ErrorReporter::instance().windowOpen());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // Kept last: asking the application to end stops the event loops of this process.
    void closeProgramRequestsTerminationAndEndsModalDisplay() {
        tw::errors::ErrorWindowPresenter presenter;
        QTimer::singleShot(0, [] {
            auto* form = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            form->findChild<QPushButton*>("Button2")->click();
        });
        presenter.showError("2.001 - 003.0");
        QVERIFY(ErrorReporter::instance().terminateRequested());
        QVERIFY(!ErrorReporter::instance().windowOpen());
    }
};

QTEST_MAIN(ErrorFormTest)
#include "ErrorFormTest.moc"
