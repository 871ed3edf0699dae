#include "app/gui/MainWindow.h"
#include "copy/gui/CopyProgressDialog.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "i18n/gui/FirstStartLanguageDialog.h"
#include "job/ProgramPaths.h"

#include "ui/MessageBoxes.h"

#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <optional>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::test::TempFolder;

namespace {

QStringList menuItems(MainWindow& form) {
    QStringList items;
    for (const QAction* item : form.findChild<QMenu*>("languageMenu")->actions())
        items << item->text() + (item->isChecked() ? " *" : "");
    return items;
}

QAction* menuItem(MainWindow& form, const char* name) {
    return form.findChild<QMenu*>("languageMenu")->findChild<QAction*>(name);
}

QString text(MainWindow& form, const char* name) {
    if (auto* label = form.findChild<QLabel*>(name))
        return label->text();
    return form.findChild<QAbstractButton*>(name)->text();
}

} // namespace

class LanguageMenuTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        m_folder = std::make_unique<TempFolder>();
        // The shipped English language, its help, and a folder that is no language.
        std::filesystem::create_directories(*m_folder / "Language/English/Help");
        std::filesystem::copy_file(std::string(TW_SOURCE_DIR) +
                                       "/data/program/Language/English/English.txt",
                                   *m_folder / "Language/English/English.txt");
        tw::test::writeFile(*m_folder / "Language/English/Help/index.htm", "<html></html>");
        tw::test::writeFile(*m_folder / "Language/Bad/Bad.txt", "Bad\r\nTunewagon!\r\n");
    }
    void cleanup() { m_folder.reset(); }

    void firstStartAsksBeforeTheMainWindowShowsAndSavesTheChoice() {
        qputenv("LC_ALL", "de_DE.UTF-8"); // not Russian: English is offered
        {
            // The program's start-up: the main window is made, then the language is asked.
            MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
            bool mainWindowHiddenWhileAsked = false;
            QString offered;
            QTimer::singleShot(0, [&] {
                auto* asking = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(asking != nullptr);
                QCOMPARE(asking->objectName(), QString("firstStartLanguageDialog"));
                mainWindowHiddenWhileAsked = !form.isVisible();
                offered = asking->findChild<QComboBox*>("languageList")->currentText();
                asking->findChild<QPushButton*>("okButton")->click();
            });
            {
                tw::i18n::FirstStartLanguageDialog languageWindow(m_strings, m_folder->path());
                languageWindow.showIfFirstStart();
            }
            qunsetenv("LC_ALL");
            QVERIFY(mainWindowHiddenWhileAsked);
            QCOMPARE(offered, QString("English [English]"));

            form.show();
            QCOMPARE(text(form, "choosePlaylistButton"), QString("Choose..."));
            QCOMPARE(menuItems(form), QStringList({"Russian [Русский]", "English [English] *"}));
            // At start transliteration can be chosen whatever the language.
            QVERIFY(form.findChild<QCheckBox*>("transliterate")->isEnabled());
            QVERIFY(form.close());
        }
        const std::string settings = tw::test::readFile(*m_folder / "Settings.ini");
        QVERIFY2(settings.find("Language=English\r\n") != std::string::npos, settings.c_str());
    }

    void menuChangesTheLanguageOfTheWindowAndOfWhatOpensNext() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=Russian\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        QCOMPARE(menuItems(form), QStringList({"Russian [Русский] *", "English [English]"}));
        QVERIFY(form.findChild<QPushButton*>("languageButton")->isEnabled());
        QCOMPARE(form.findChild<QPushButton*>("helpButton")->toolTip(), QString("Russian"));

        // A playlist of one 100 KB file; no destination yet.
        tw::test::writeFile(*m_folder / "music/a.mp3", std::string(100 * 1024, 'x'));
        tw::test::writeFile(*m_folder / "music/list.m3u", "a.mp3\r\n");
        form.services().choosePlaylist = [this](QFileDialog&) {
            return std::optional<std::string>(*m_folder / "music/list.m3u");
        };
        form.findChild<QPushButton*>("choosePlaylistButton")->click();
        QCOMPARE(text(form, "listSizeLabel"), QString("Занимаемое место на диске: 100 КБ"));

        form.findChild<QPushButton*>("languageButton")->click();
        QVERIFY(form.findChild<QMenu*>("languageMenu")->isVisible());
        form.findChild<QMenu*>("languageMenu")->hide();

        menuItem(form, "English")->trigger();
        QCOMPARE(m_strings.CurrentLanguage, std::string("English"));
        QCOMPARE(menuItems(form), QStringList({"Russian [Русский]", "English [English] *"}));
        QCOMPARE(text(form, "choosePlaylistButton"), QString("Choose..."));
        QCOMPARE(text(form, "destinationLabel"), QString("Destination folder"));
        QCOMPARE(text(form, "checkNewVersion"),
                 QString("Check for a new version at program start"));
        // The information labels: the new prefixes with the values, sizes in the new units.
        QCOMPARE(text(form, "listCountLabel"), QString("Number of files in the list: 1"));
        QCOMPARE(text(form, "listSizeLabel"), QString("Space taken on disk: 100 KB"));
        QCOMPARE(text(form, "freeSpaceLabel"), QString("Free space on the destination drive: "));
        QCOMPARE(form.findChild<QPushButton*>("helpButton")->toolTip(), QString("English"));
        // Texts from language files are shown as written, never laid out as markup.
        for (QLabel* label : form.findChildren<QLabel*>()) {
            if (label->window() == &form) // not the labels of Qt's own dialogs
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        }
        auto* checkBox2 = form.findChild<QCheckBox*>("transliterate");
        QVERIFY(!checkBox2->isEnabled());
        QVERIFY(!checkBox2->isChecked()); // its tick is left alone

        // The next message box and the next copy window speak English.
        {
            tw::test::MessageBoxAnswerer user({QMessageBox::No});
            QVERIFY(!form.close());
            QCOMPARE(user.seen().size(), std::size_t{1});
            QCOMPARE(user.seen()[0].text, QString("Do you really want to close the program?"));
        }
        tw::copy::RunFlags flags;
        const tw::copy::CopyProgressDialog copyWindow(m_strings, {}, flags, &form);
        QCOMPARE(copyWindow.windowTitle(), QString("Copying files..."));

        // The ticked item again: nothing is loaded, the same item stays ticked.
        m_strings.choosePlaylistButton = "untouched";
        menuItem(form, "English")->trigger();
        QCOMPARE(m_strings.choosePlaylistButton, std::string("untouched"));
        QCOMPARE(menuItems(form), QStringList({"Russian [Русский]", "English [English] *"}));

        // Back to Russian: every built-in text, and transliteration can be chosen again.
        menuItem(form, "Russian")->trigger();
        QCOMPARE(m_strings.choosePlaylistButton, std::string("Выбрать..."));
        QCOMPARE(text(form, "exitButton"), QString("Выход"));
        QCOMPARE(text(form, "listSizeLabel"), QString("Занимаемое место на диске: 100 КБ"));
        QVERIFY(checkBox2->isEnabled());

        // Showing the window again builds no second menu.
        form.hide();
        form.show();
        QCOMPARE(menuItems(form).size(), 2);
    }

    // Qt's own buttons speak the language of the interface, and the menu switches them: the
    // stop question's Yes and No, and the details button of a box that has details.
    void qtButtonsFollowTheLanguageMenu() {
        const std::filesystem::path shipped =
            std::filesystem::path(TW_PROGRAM_DIR) / "Translations/qtbase_ru.qm";
        if (!std::filesystem::exists(shipped))
            QSKIP("the build found no Qt catalogue (qt6-translations-l10n is not installed)");
        std::filesystem::create_directories(*m_folder / "Translations");
        std::filesystem::copy_file(shipped, *m_folder / "Translations/qtbase_ru.qm");
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=Russian\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();

        const auto buttonsOfTheStopQuestion = [this, &form]() -> QStringList {
            QStringList seen;
            tw::test::MessageBoxAnswerer user({QMessageBox::No});
            user.onBox = [&seen](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons())
                    seen << button->text().remove('&');
            };
            if (tw::ui::ask(m_strings.StrAskStopCopy, m_strings.StrConfirmCaption, &form))
                return {"answered Yes"};
            seen.sort();
            return seen;
        };
        const auto detailsButton = [&form] {
            QString seen;
            tw::test::MessageBoxAnswerer user;
            user.onBox = [&seen](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons())
                    if (box.buttonRole(button) == QMessageBox::ActionRole)
                        seen = button->text();
            };
            tw::ui::showMessage(tw::ui::MessageKind::Information, "report", "caption", &form,
                                "details");
            return seen;
        };

        QCOMPARE(buttonsOfTheStopQuestion(), QStringList({"Да", "Нет"}));
        QVERIFY2(detailsButton().startsWith("Показать"), qPrintable(detailsButton()));
        menuItem(form, "English")->trigger();
        QCOMPARE(m_strings.CurrentLanguage, std::string("English"));
        QCOMPARE(buttonsOfTheStopQuestion(), QStringList({"No", "Yes"}));
        QCOMPARE(detailsButton(), QString("Show Details..."));
        menuItem(form, "Russian")->trigger();
        QCOMPARE(buttonsOfTheStopQuestion(), QStringList({"Да", "Нет"}));
    }

    void withoutLanguagesTheMenuHoldsOnlyRussianAndStaysShut() {
        std::filesystem::remove_all(*m_folder / "Language");
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=English\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        QCOMPARE(menuItems(form), QStringList({"Russian [Русский] *"}));
        QVERIFY(!form.findChild<QPushButton*>("languageButton")->isEnabled());
        // The saved language has no file: built-in texts, and its name is kept for the exit.
        QCOMPARE(text(form, "choosePlaylistButton"), QString("Выбрать..."));
        QCOMPARE(m_strings.CurrentLanguage, std::string("English"));
    }

    void unreadableLanguageFileIsReportedUnderItsOwnCode() {
        // A file that opens but cannot be read, whatever the rights of the reader.
        std::filesystem::create_directories(*m_folder / "Language/Broken");
        std::filesystem::create_symlink("/proc/self/mem", *m_folder / "Language/Broken/Broken.txt");
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=Broken\r\n");
        tw::errors::ErrorReporter::instance().setProgramFolder(m_folder->path());
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        const std::string log = tw::test::readFile(*m_folder / "ErrorLog/Debug.Log");
        QVERIFY2(log.find("Adress = 2.001 - 015.0\r\n") != std::string::npos, log.c_str());
        QVERIFY(log.find("2.001 - 013.0") == std::string::npos);
        // The first show went on: built-in captions, the menu built, nothing ticked but Russian.
        QCOMPARE(text(form, "choosePlaylistButton"), QString("Выбрать..."));
        QCOMPARE(menuItems(form), QStringList({"Russian [Русский] *", "English [English]"}));
        QCOMPARE(m_strings.CurrentLanguage, std::string("Broken"));
    }

private:
    std::unique_ptr<TempFolder> m_folder;
};

QTEST_MAIN(LanguageMenuTest)
#include "LanguageMenuTest.moc"
