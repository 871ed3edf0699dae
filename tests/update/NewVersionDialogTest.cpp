#include "update/gui/NewVersionDialog.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using tw::test::TempFolder;
using tw::test::writeFile;
using tw::update::NewVersionDialog;

class NewVersionWindowTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

public slots:
    void openPage(const QUrl& url) { m_opened << url.toString(); }

private:
    QString text(NewVersionDialog& form, const char* name) {
        if (auto* label = form.findChild<QLabel*>(name))
            return label->text();
        if (auto* edit = form.findChild<QLineEdit*>(name))
            return edit->text();
        return form.findChild<QPlainTextEdit*>(name)->toPlainText();
    }
    QColor linkColour(NewVersionDialog& form) {
        return form.findChild<QLabel*>("siteLink")->palette().color(QPalette::WindowText);
    }

    std::unique_ptr<TempFolder> m_folder;
    QStringList m_opened;

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        m_folder = std::make_unique<TempFolder>();
        m_opened.clear();
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "openPage");
    }
    void cleanup() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        m_folder.reset();
    }

    void announcementOfTheLanguageFillsFieldsNotesAndLink() {
        writeFile(*m_folder / "CheckNVTrue.txt",
                  "1.2.0\r\n01.02.27\r\nhttps://tw.example/\r\nпервое\r\n\xE2\xF2\xEE\xF0\xEE\xE5\n"
                  "third\r\n");
        writeFile(*m_folder / "CheckNVTrueEng.txt", "1.2.0 en\r\n2027-02-01\r\nhttps://en/\r\n");

        m_strings.CurrentLanguage = "Russian";
        NewVersionDialog russian(m_strings, m_folder->path());
        QCOMPARE(text(russian, "titleLabel"), QString("Вышла новая версия программы Tunewagon"));
        QCOMPARE(text(russian, "playlistLabel"), QString("Версия:"));
        QCOMPARE(text(russian, "destinationLabel"), QString(" Дата обновления:"));
        QCOMPARE(text(russian, "versionField"), QString("1.2.0"));
        QCOMPARE(text(russian, "dateField"), QString("01.02.27"));
        QCOMPARE(text(russian, "siteLink"), QString("https://tw.example/"));
        // Notes in file order; a Windows-1251 line is decoded.
        QCOMPARE(text(russian, "changesText"), QString("первое\nвторое\nthird"));

        // Any other name, "russian" too, takes the English file: here three lines, no notes.
        m_strings.CurrentLanguage = "russian";
        NewVersionDialog other(m_strings, m_folder->path());
        QCOMPARE(text(other, "versionField"), QString("1.2.0 en"));
        QCOMPARE(text(other, "changesText"), QString());
    }

    void missingAnnouncementFallsBackToTheOtherLanguageOrTheDesignLink() {
        writeFile(*m_folder / "CheckNVTrue.txt", "1.2.0\r\n01.02.27\r\nhttps://tw.example/\r\n");
        m_strings.CurrentLanguage = "English";
        // Only the Russian variant arrived: it is shown rather than nothing.
        NewVersionDialog fallback(m_strings, m_folder->path());
        QCOMPARE(text(fallback, "versionField"), QString("1.2.0"));
        QCOMPARE(text(fallback, "siteLink"), QString("https://tw.example/"));

        tw::platform::deleteFile(*m_folder / "CheckNVTrue.txt");
        NewVersionDialog form(m_strings, m_folder->path());
        QCOMPARE(text(form, "versionField"), QString());
        QCOMPARE(text(form, "changesText"), QString());
        QCOMPARE(text(form, "siteLink"), QString("https://tunewagon.net/"));
        QCOMPARE(form.findChild<QPushButton*>("remindLaterButton")->text(),
                 QString("Напомнить при следующем запуске"));
    }

    void linkIsRedUnderThePointerAndOpensOnlyWebPages() {
        m_strings.CurrentLanguage = "Russian";
        writeFile(*m_folder / "CheckNVTrue.txt", "1\r\n2\r\ntw.example/page\r\n");
        NewVersionDialog form(m_strings, m_folder->path());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* link = form.findChild<QLabel*>("siteLink");
        QCOMPARE(linkColour(form), QColor(Qt::blue));
        const QPointF inside = link->rect().center();
        QMouseEvent overLink(QEvent::MouseMove, inside, link->mapToGlobal(inside), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &overLink);
        QCOMPARE(linkColour(form), QColor(Qt::red));
        QMouseEvent overBackground(QEvent::MouseMove, QPointF(2, 2),
                                   form.mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                                   Qt::NoModifier);
        QApplication::sendEvent(&form, &overBackground);
        QCOMPARE(linkColour(form), QColor(Qt::blue));

        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QCOMPARE(m_opened, QStringList{"http://tw.example/page"});

        // An address from the web that names a local file is not opened.
        writeFile(*m_folder / "CheckNVTrue.txt", "1\r\n2\r\nfile:///etc/passwd\r\n");
        NewVersionDialog local(m_strings, m_folder->path());
        local.openSite();
        QCOMPARE(m_opened.size(), 1);
    }

    void markupFromTheServerOrLanguageFileIsShownAsWrittenAndNeverLaidOut() {
        // Markup in every place text reaches the window from outside: the announcement and
        // the language file. Laid out, the nested tables keep a core busy for minutes and the
        // image reads a pipe that never ends.
        const std::string pipe = *m_folder / "pipe.png";
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        std::string tables;
        for (int i = 0; i < 30; ++i)
            tables += "<table><tr><td>";
        const std::string markup = "<img src=\"" + pipe + "\">" + tables + "x";
        writeFile(*m_folder / "CheckNVTrue.txt",
                  markup + "\r\n" + markup + "\r\n" + markup + "\r\n" + markup + "\r\n");
        auto& table = m_strings;
        table.CurrentLanguage = "Russian";
        table.StrNewVersion = table.StrChanges = table.StrOpenSite = table.StrVersion = markup;

        QElapsedTimer clock;
        clock.start();
        NewVersionDialog form(m_strings, m_folder->path());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(clock.elapsed() < 3000, "the window took too long to open");
        for (QLabel* label : form.findChildren<QLabel*>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        QCOMPARE(text(form, "titleLabel"), QString::fromStdString(markup + " Tunewagon"));
        QCOMPARE(text(form, "versionField"), QString::fromStdString(markup));
        QCOMPARE(text(form, "changesText"), QString::fromStdString(markup));
    }

    void longLinkIsShortenedAndTheWindowStaysOnTheScreen() {
        const QString page = "https://tw.example/" + QString(4000, 'a') + "/end";
        writeFile(*m_folder / "CheckNVTrue.txt",
                  "1.2.0\r\n01.02.27\r\n" + page.toStdString() + "\r\nnote\r\n");
        m_strings.CurrentLanguage = "Russian";
        m_strings.StrOpenSite = std::string(3000, 'w');
        QWidget owner;
        owner.setGeometry(100, 100, 600, 400);
        NewVersionDialog form(m_strings, m_folder->path(), &owner);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect screen = form.screen()->availableGeometry();
        QVERIFY2(screen.contains(form.frameGeometry()), qPrintable(QString("window %1,%2 %3x%4")
                                                                       .arg(form.x())
                                                                       .arg(form.y())
                                                                       .arg(form.width())
                                                                       .arg(form.height())));
        QVERIFY(form.width() <= 600);
        // Both buttons are inside the window.
        for (const char* name : {"okButton", "remindLaterButton"}) {
            auto* button = form.findChild<QPushButton*>(name);
            QVERIFY(
                form.rect().contains(QRect(button->mapTo(&form, QPoint(0, 0)), button->size())));
        }
        QVERIFY(text(form, "siteLink").size() < 200);
        // The shortened link still opens the whole address.
        form.openSite();
        QCOMPARE(m_opened, QStringList{page});
    }

    void okRecordsTheAcknowledgementAndRemindWritesNothing() {
        const std::string checkTrue = *m_folder / "CheckTrue";
        // A pipe under the name neither counts nor blocks Ok.
        QCOMPARE(::mkfifo(checkTrue.c_str(), 0600), 0);
        QPointer<NewVersionDialog> remind = new NewVersionDialog(m_strings, m_folder->path());
        remind->show();
        remind->findChild<QPushButton*>("remindLaterButton")->click();
        QTRY_VERIFY(remind.isNull()); // closed and freed
        QVERIFY(!tw::platform::fileExists(checkTrue));

        QPointer<NewVersionDialog> ok = new NewVersionDialog(m_strings, m_folder->path());
        ok->show();
        ok->findChild<QPushButton*>("okButton")->click();
        QTRY_VERIFY(ok.isNull());
        QVERIFY(tw::platform::fileExists(checkTrue));
    }
};

QTEST_MAIN(NewVersionWindowTest)
#include "NewVersionDialogTest.moc"
