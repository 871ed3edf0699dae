#include "i18n/gui/FirstStartLanguageDialog.h"
#include "i18n/StringTable.h"

#include "support/TempFolder.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using tw::i18n::FirstStartLanguageDialog;
using tw::test::TempFolder;

namespace {

QStringList items(const QComboBox* combo) {
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

// Fails the test and closes the window through its button if it is still open after a while,
// so a window that does not close by itself cannot hang the run.
void failsafe(FirstStartLanguageDialog& form, bool& timedOut) {
    QTimer::singleShot(5000, &form, [&form, &timedOut] {
        timedOut = true;
        form.acceptLanguage();
    });
}

} // namespace

class LanguageWindowTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() {
        m_strings.CurrentLanguage.clear();
        m_folder = std::make_unique<TempFolder>();
        tw::test::writeFile(*m_folder / "Language/English/English.txt",
                            "English\r\nTunewagon\r\nKB\r\n");
        tw::test::writeFile(*m_folder / "Language/Deutsch/Deutsch.txt",
                            "Deutsch\r\nTunewagon\r\nKB\r\n");
        tw::test::writeFile(*m_folder / "Language/Bad/Bad.txt", "Bad\r\nTunewagen\r\n");
        tw::test::writeFile(*m_folder / "Language/Zulu/Zulu.txt",
                            std::string(3000, 'Z') + "\r\nTunewagon\r\n");
    }
    void cleanup() { m_folder.reset(); }

    void firstStartOffersTheLocaleLanguageAndClosesOnlyThroughItsButton() {
        qputenv("LC_ALL", "en_GB.UTF-8");
        FirstStartLanguageDialog form(m_strings, m_folder->path());
        QVERIFY(form.firstStart());
        QCOMPARE(form.windowTitle(), QString("Tunewagon"));
        QCOMPARE(form.findChild<QLabel*>("promptLabel")->text(), QString("Change language"));
        QCOMPARE(form.findChild<QPushButton*>("okButton")->text(), QString("Ок"));
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        auto* combo = form.findChild<QComboBox*>("languageList");
        QCOMPARE(items(combo).mid(0, 3),
                 QStringList({"Russian [Русский]", "Deutsch [Deutsch]", "English [English]"}));
        // A language with a very long name of its own is listed whole but keeps the window
        // small.
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(3).size(), 3000 + 7);
        QVERIFY(form.width() < 640);
        QCOMPARE(combo->currentText(), QString("English [English]"));

        bool stayedOpen = false;
        bool timedOut = false;
        QTimer::singleShot(0, &form, [&] {
            form.close();
            QTest::keyClick(&form, Qt::Key_Escape);
            form.reject();
            stayedOpen = form.isVisible();
            combo->setCurrentIndex(1);
            form.findChild<QPushButton*>("okButton")->click();
        });
        failsafe(form, timedOut);
        form.showIfFirstStart();
        QVERIFY(stayedOpen);
        QVERIFY(!timedOut);
        QVERIFY(!form.isVisible());
        QCOMPARE(m_strings.CurrentLanguage, std::string("Deutsch"));

        qputenv("LC_ALL", "ru_RU.UTF-8");
        FirstStartLanguageDialog russian(m_strings, m_folder->path());
        QCOMPARE(russian.findChild<QComboBox*>("languageList")->currentIndex(), 0);
        qunsetenv("LC_ALL");
    }

    void existingSettingsMeanTheWindowNeverShows() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\n");
        FirstStartLanguageDialog form(m_strings, m_folder->path());
        QVERIFY(!form.firstStart());
        bool timedOut = false;
        failsafe(form, timedOut);
        form.showIfFirstStart();
        QVERIFY(!timedOut);
        QCOMPARE(form.findChild<QComboBox*>("languageList")->count(), 1);
        QVERIFY(m_strings.CurrentLanguage.empty());
    }

    void sourceSettingsCloseTheWindowAtItsFirstPaint() {
        tw::test::writeFile(*m_folder / "Source/Settings.ini", "[Settings]\r\n");
        FirstStartLanguageDialog form(m_strings, m_folder->path());
        QVERIFY(form.firstStart());
        bool timedOut = false;
        failsafe(form, timedOut);
        form.showIfFirstStart();
        QVERIFY(!timedOut);
        QVERIFY(!form.isVisible());
        QVERIFY(m_strings.CurrentLanguage.empty());
    }

private:
    std::unique_ptr<TempFolder> m_folder;
};

QTEST_MAIN(LanguageWindowTest)
#include "FirstStartLanguageDialogTest.moc"
