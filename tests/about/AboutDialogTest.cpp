#include "about/gui/AboutDialog.h"
#include "about/gui/BannerBrowser.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"

#include "support/TempFolder.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <optional>

using tw::about::AboutDialog;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QColor colour(const AboutDialog& form, const char* link) {
    return form.findChild<QLabel*>(link)->palette().color(QPalette::WindowText);
}

QString memo(const AboutDialog& form, const char* name) {
    return form.findChild<QTextEdit*>(name)->toPlainText();
}

// Moves the pointer over the middle of a widget, through the window system: the window
// finds the widget under the pointer itself.
void hover(QWidget* widget, std::optional<QPoint> at = std::nullopt) {
    QWidget* window = widget->window();
    QTest::mouseMove(window->windowHandle(),
                     widget->mapTo(window, at.value_or(widget->rect().center())));
}

} // namespace

// Takes the addresses the desktop is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

class AboutFormTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void cleanup() {
        m_strings = tw::i18n::StringTable{};
        m_strings.CurrentLanguage = "Russian";
    }

    // Each new window reads the string table as it is then: after a change of language the
    // captions follow, the design's own hints do not, and the version box holds two lines.
    void eachNewWindowShowsTheCurrentLanguageAndTwoVersionLines() {
        const QString version = QString("Tunewagon %1.lang.Update").arg(TW_VERSION_NUMBER);
        {
            AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
            QCOMPARE(form.windowTitle(), QString("О программе..."));
            QCOMPARE(memo(form, "osNoteText"),
                     "Работает в Linux (Debian 12 и новее, Qt 6).\n" + version);
            QCOMPARE(form.findChild<QLabel*>("credit")->text(),
                     QString("Сделано авторами Tunewagon. Дата выпуска: 24.10.07"));
        }
        QCOMPARE(tw::i18n::loadLanguageFile(m_strings, TW_PROGRAM_DIR, "English"),
                 tw::i18n::LanguageLoad::Loaded);
        for (int opening = 0; opening < 2; ++opening) {
            AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
            const auto& t = m_strings;
            QCOMPARE(form.windowTitle(), QString("About..."));
            QCOMPARE(memo(form, "aboutText"), q(t.StrAboutText));
            QCOMPARE(memo(form, "freewareText"), QString("This program is free."));
            QCOMPARE(memo(form, "osNoteText"),
                     "Runs on Linux (Debian 12 and later, Qt 6).\n" + version);
            QCOMPARE(form.findChild<QLabel*>("credit")->text(),
                     QString("Made by the Tunewagon authors. The date of issue: 24.10.07"));
            QCOMPARE(form.findChild<QLabel*>("siteLink")->toolTip(),
                     QString("Посетите сайт программы для обновлений"));
            QCOMPARE(form.findChild<QPushButton*>("okButton")->text(), QString("Ok"));
            QVERIFY(!form.findChild<QWidget*>("textPanel")->isEnabled());
            QVERIFY(form.width() >= 328 && form.height() >= 270);
            QCOMPARE(form.minimumSize(), form.maximumSize());
            // Texts from language files are shown as written, never laid out as markup.
            for (QLabel* label : form.findChildren<QLabel*>())
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        }
    }

    // The shipped banner shows its page with the picture it refers to; a broken or missing
    // archive leaves the banner empty and the rest of the window as it is.
    void bannerShowsTheArchiveAndStaysEmptyWhenItIsBroken() {
        {
            AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
            auto* banner = form.findChild<tw::about::BannerBrowser*>();
            QVERIFY(banner->toPlainText().contains("Tunewagon"));
            QVERIFY(banner->toPlainText().contains("Your playlist"));
            const QVariant picture =
                banner->document()->resource(QTextDocument::ImageResource, QUrl("wagon.png"));
            QCOMPARE(picture.value<QImage>().size(), QSize(64, 64));
            // Nothing outside the archive is ever read.
            QVERIFY(banner->document()
                        ->resource(QTextDocument::ImageResource, QUrl("file:///etc/passwd"))
                        .toByteArray()
                        .isEmpty());
        }
        tw::test::TempFolder program;
        for (const std::string content :
             {"", "Content-Type: multipart/related; boundary=a\r\n\r\n"
                  "--b\r\nContent-Type: text/html\r\n\r\n<b>x</b>\r\n"}) {
            if (!content.empty())
                tw::test::writeFile(program / "Source/Temp.mht", content);
            AboutDialog form(m_strings, nullptr, program.path());
            QVERIFY(form.findChild<tw::about::BannerBrowser*>()->toPlainText().isEmpty());
            QCOMPARE(memo(form, "osNoteText").count('\n'), 1);
            QCOMPARE(memo(form, "freewareText"), QString("Программа распространяется бесплатно."));
        }
    }

    // A link turns red under the pointer and blue again only over the free area or the
    // bottom panel; the button, the credit strip, the banner, leaving and clicks keep it.
    void linksTurnRedUnderThePointerAndBlueOnlyOverFreeAreaOrBottomPanel() {
        AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QColor blue(0, 0, 255), red(255, 0, 0);
        QCOMPARE(colour(form, "siteLink"), blue);
        hover(form.findChild<QLabel*>("siteLink"));
        QCOMPARE(colour(form, "siteLink"), red);
        QCOMPARE(colour(form, "mailLink"), blue);
        hover(form.findChild<QLabel*>("mailLink"));
        for (const char* keeper : {"okButton", "creditPanel", "banner"})
            hover(form.findChild<QWidget*>(keeper));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&form, &leave);
        QCOMPARE(colour(form, "siteLink"), red);
        QCOMPARE(colour(form, "mailLink"), red);
        auto* panel4 = form.findChild<QWidget*>("linkPanel");
        hover(panel4, QPoint(panel4->width() / 2, 1)); // above the links
        QCOMPARE(colour(form, "siteLink"), blue);
        QCOMPARE(colour(form, "mailLink"), blue);
        // Over the text boxes (they take no input) the pointer is over the free area.
        hover(form.findChild<QLabel*>("siteLink"));
        hover(form.findChild<QTextEdit*>("freewareText")->viewport());
        QCOMPARE(colour(form, "siteLink"), blue);
        hover(form.findChild<QLabel*>("mailLink"));
        hover(&form);
        QCOMPARE(colour(form, "mailLink"), blue);
    }

    void linksOpenTheSiteAndAMailToTheAuthor() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("https", &recorder, "open");
        QDesktopServices::setUrlHandler("mailto", &recorder, "open");
        AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
        form.show();
        QTest::mouseClick(form.findChild<QLabel*>("siteLink"), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QLabel*>("mailLink"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(recorder.urls,
                 QList<QUrl>({QUrl("https://tunewagon.net"), QUrl("mailto:author@tunewagon.net")}));
        QCOMPARE(form.findChild<QLabel*>("siteLink")->text(), QString("tunewagon.net"));
        QCOMPARE(form.findChild<QLabel*>("mailLink")->text(), QString("author@tunewagon.net"));
    }

    // The main window's button opens a new modal window each time; Ok closes and frees it.
    void showAboutIsModalAndFreesTheWindowOnOk() {
        QPointer<AboutDialog> shown;
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown != nullptr);
            shown->findChild<QPushButton*>("okButton")->click();
        });
        AboutDialog::showAbout(m_strings, nullptr, TW_PROGRAM_DIR);
        QVERIFY(QTest::qWaitFor([&] { return shown.isNull(); }, 1000));
    }

    // With TW_SHOTS set to a folder: pictures of the window in Russian and in English.
    void screenshots() {
        const QByteArray folder = qgetenv("TW_SHOTS");
        if (folder.isEmpty())
            QSKIP("TW_SHOTS not set");
        for (const char* language : {"Russian", "English"}) {
            tw::i18n::loadLanguageFile(m_strings, TW_PROGRAM_DIR, language);
            AboutDialog form(m_strings, nullptr, TW_PROGRAM_DIR);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.grab().save(QString::fromUtf8(folder) + "/about-" + language + ".png"));
        }
    }
};

QTEST_MAIN(AboutFormTest)
#include "AboutDialogTest.moc"
