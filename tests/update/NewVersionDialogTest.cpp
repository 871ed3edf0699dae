#include "update/gui/NewVersionDialog.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
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

    void missingAnnouncementLeavesFieldsEmptyAndTheDesignLink() {
        writeFile(*m_folder / "CheckNVTrue.txt", "1.2.0\r\n01.02.27\r\nhttps://tw.example/\r\n");
        m_strings.CurrentLanguage = "English";
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
