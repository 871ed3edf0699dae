#include "app/ProgramPaths.h"
#include "app/Unit1.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"

#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <vector>

using tw::app::ProgramPaths;
using tw::app::TForm1;
using tw::test::TempFolder;

namespace {

QCheckBox* box(TForm1& form, const char* name) {
    return form.findChild<QCheckBox*>(name);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

// Answers the exit question with the given button once it shows.
void answerExitQuestion(QMessageBox::StandardButton answer, QString* seenText) {
    QTimer::singleShot(0, [answer, seenText] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(question != nullptr);
        *seenText = question->text();
        question->button(answer)->click();
    });
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        tw::i18n::strings().resetToBuiltIn();
        tw::i18n::strings().CurrentLanguage.clear();
        m_folder = std::make_unique<TempFolder>();
    }
    void cleanup() {
        m_folder.reset();
        tw::errors::ErrorReporter::instance().setTerminateRequested(false);
    }

    void withoutSettingsOnlyCheckBox1IsCheckedAndExitWritesAllTenKeysInOrder() {
        {
            TForm1 form(ProgramPaths(m_folder->path()));
            QVERIFY(box(form, "CheckBox1")->isChecked());
            for (const char* name : {"CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5"})
                QVERIFY2(!box(form, name)->isChecked(), name);
            QVERIFY(tw::i18n::strings().CurrentLanguage.empty());
            form.show();
            box(form, "CheckBox3")->setChecked(true);
            form.move(40, 30);
            QVERIFY(form.close());
        }
        const auto written = lines(tw::test::readFile(*m_folder / "Settings.ini"));
        // No language was chosen at first start (that window is not there), so it stays empty.
        const std::vector<std::string> expected = {
            "[Settings]", "Top=30",      "Left=40",   "structure=1",     "translit=0", "onlymp3=1",
            "max=0",      "Freshpoll=0", "Language=", "writeplaylist=0", "skipsame=0"};
        QCOMPARE(written, expected);
    }

    void settingsPlaceWindowAndSetOptionsAndLanguage() {
        tw::test::writeFile(*m_folder / "Settings.ini",
                            "[Settings]\r\nTop=120\r\nLeft=130\r\nstructure=0\r\ntranslit=1\r\n"
                            "onlymp3=1\r\nmax=2\r\nFreshpoll=1\r\nLanguage=English\r\n");
        tw::test::writeFile(*m_folder / "Freshpoll/freshpoll", "checker");
        TForm1 form(ProgramPaths(m_folder->path()));
        QCOMPARE(form.pos(), QPoint(130, 120));
        QVERIFY(!box(form, "CheckBox1")->isChecked());
        QVERIFY(box(form, "CheckBox2")->isChecked());
        QVERIFY(box(form, "CheckBox3")->isChecked());
        QVERIFY(box(form, "CheckBox4")->isChecked()); // any non-zero number is true
        QVERIFY(box(form, "CheckBox5")->isChecked());
        QVERIFY(box(form, "CheckBox5")->isEnabled());
        QCOMPARE(tw::i18n::strings().CurrentLanguage, std::string("English"));
    }

    void emptySettingsSectionGivesDefaultsAtOrigin() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nmax=yes\r\n");
        TForm1 form(ProgramPaths(m_folder->path()));
        QCOMPARE(form.pos(), QPoint(0, 0));
        QVERIFY(box(form, "CheckBox1")->isChecked());
        QVERIFY(!box(form, "CheckBox4")->isChecked()); // not a number: default
        QCOMPARE(tw::i18n::strings().CurrentLanguage, std::string("Russian"));
    }

    void missingCheckerDisablesCheckBox5AndExitWritesFreshpollZero() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nFreshpoll=1\r\n");
        {
            TForm1 form(ProgramPaths(m_folder->path()));
            QVERIFY(!box(form, "CheckBox5")->isChecked());
            QVERIFY(!box(form, "CheckBox5")->isEnabled());
            form.show();
            QVERIFY(form.close());
        }
        const auto written = tw::test::readFile(*m_folder / "Settings.ini");
        QVERIFY(written.find("Freshpoll=0") != std::string::npos);
        QVERIFY(written.find("Freshpoll=1") == std::string::npos);
    }

    void exitWithEmptyFieldsClosesWithoutQuestion() {
        TForm1 form(ProgramPaths(m_folder->path()));
        form.show();
        bool canClose = false;
        form.FormCloseQuery(canClose);
        QVERIFY(canClose);
        form.findChild<QPushButton*>("Button6")->click();
        QVERIFY(!form.isVisible());
        QVERIFY(std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void exitWithAFieldSetAsksAndNoKeepsTheWindow() {
        TForm1 form(ProgramPaths(m_folder->path()));
        form.show();
        form.findChild<QLineEdit*>("LabeledEdit2")->setText("/music");
        QString asked;
        answerExitQuestion(QMessageBox::No, &asked);
        QVERIFY(!form.close());
        QCOMPARE(asked, QString("Действительно хотите закрыть программу?"));
        QVERIFY(form.isVisible());
        QVERIFY(!form.busy());
        QVERIFY(!std::filesystem::exists(*m_folder / "Settings.ini"));

        answerExitQuestion(QMessageBox::Yes, &asked);
        QVERIFY(form.close());
        QVERIFY(std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void closingFromErrorWindowSkipsQuestionAndSettings() {
        TForm1 form(ProgramPaths(m_folder->path()));
        form.show();
        form.findChild<QLineEdit*>("LabeledEdit1")->setText("/music/list.m3u");
        tw::errors::ErrorReporter::instance().setTerminateRequested(true);
        QVERIFY(form.close()); // no question is waiting to be answered
        QVERIFY(!std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void unwritableSettingsAreReportedUnderFormCloseCode() {
        // A folder in place of Settings.ini cannot be written, even by root.
        std::filesystem::create_directories(*m_folder / "Settings.ini");
        tw::errors::ErrorReporter::instance().setProgramFolder(m_folder->path());
        {
            TForm1 form(ProgramPaths(m_folder->path()));
            form.show();
            QVERIFY(form.close()); // the program still ends
        }
        const auto log = tw::test::readFile(*m_folder / "ErrorLog/Debug.Log");
        QVERIFY(log.find("Adress = 2.001 - 014.0\r\n") != std::string::npos);
        QVERIFY(log.find("Type = tw::platform::FileError\r\n") != std::string::npos);
    }

    void firstShowLoadsLanguageAndRecaptionsControls() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=Test\r\n");
        std::string file = "Test\r\nTunewagon\r\nkB\r\nMB\r\nGB\r\nPlaylist\r\nFolder\r\nPick\r\n";
        tw::test::writeFile(*m_folder / "Language/Test/Test.txt", file);
        tw::test::writeFile(*m_folder / "Language/English/Help/index.htm", "help");
        TForm1 form(ProgramPaths(m_folder->path()));
        auto* button1 = form.findChild<QPushButton*>("Button1");
        QCOMPARE(button1->text(), QString("Выбрать..."));
        form.show();
        QCOMPARE(button1->text(), QString("Pick"));
        QCOMPARE(form.findChild<QLabel*>("LabeledEdit2Label")->text(), QString("Folder"));
        // Entries the file does not reach keep their built-in texts.
        QCOMPARE(form.findChild<QPushButton*>("Button6")->text(), QString("Выход"));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(),
                 QString("Количество файлов в списке: "));
        // No help of its own: English help is taken.
        QCOMPARE(form.findChild<QPushButton*>("BitBtn1")->toolTip(), QString("English"));
        QCOMPARE(form.windowTitle(), QString("Tunewagon"));

        // A second showing loads nothing again.
        tw::i18n::strings().Button1Caption = "changed";
        form.hide();
        form.show();
        QCOMPARE(button1->text(), QString("Pick"));
    }

    void designStatesOfTheControls() {
        TForm1 form(ProgramPaths(m_folder->path()));
        QVERIFY(!form.findChild<QPushButton*>("Button5")->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>("Button4")->isEnabled());
        QCOMPARE(form.findChild<QPushButton*>("Button4")->text(), QString("Language..."));
        QCOMPARE(form.findChild<QPushButton*>("BitBtn1")->size(), QSize(26, 26));
        QVERIFY(form.findChild<QLineEdit*>("LabeledEdit1")->isReadOnly());
        QVERIFY(form.findChild<QWidget*>("Panel1") != nullptr);
        QVERIFY(form.findChild<QObject*>("OpenDialogBU") != nullptr);
        QVERIFY(form.width() >= 464 && form.height() >= 315);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        // Tab order: the two buttons, the four options, the buttons, CheckBox5 last.
        QStringList order;
        QWidget* w = form.findChild<QPushButton*>("Button1");
        for (int i = 0; i < 11; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus || !(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order,
                 QStringList({"Button1", "Button2", "CheckBox1", "CheckBox2", "CheckBox3",
                              "CheckBox4", "Button5", "BitBtn1", "Button4", "Button3", "Button6"}));
        QCOMPARE(w->objectName(), QString("CheckBox5"));
    }

private:
    std::unique_ptr<TempFolder> m_folder;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
