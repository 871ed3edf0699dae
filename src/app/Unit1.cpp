#include "app/Unit1.h"

#include "app/CalSize.h"
#include "app/DialogFilter.h"
#include "app/HelpLanguage.h"
#include "app/IniFile.h"
#include "app/ReportDetails.h"
#include "app/ScreenPlacement.h"
#include "app/Settings.h"
#include "app/TunewagonApplication.h"
#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "errors/ProgramIdentity.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "playlist/WaitDlg.h"
#include "ui/DrawnIcons.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"
#include "update/MainWindowCheckHost.h"
#include "update/NewVersionCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace tw::app {

namespace codes = errors::codes;
using errors::guarded;

using ui::named;
using ui::q;

namespace {

// The designed client size of the main window.
// The two re-copy check boxes below CheckBox4 add their height to the designed 315.
constexpr QSize designedSize(464, 355);

// A warning or refusal box over the main window, with its busy flag set while it is open.
void tell(MainWindowState& state, QWidget* parent, ui::MessageKind kind, const std::string& text,
          const std::string& details = {}) {
    const bool wasBusy = state.busy();
    state.setBusy(true);
    ui::showMessage(kind, text, i18n::strings().StrWarningCaption, parent, details);
    state.setBusy(wasBusy);
}

} // namespace

TForm1::TForm1(ProgramPaths paths, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_paths(std::move(paths)) {
    setObjectName("Form1");
    setWindowTitle(q(std::string(ProgramName)));
    createControls();
    createLanguageMenu();
    m_checkHost = std::make_unique<update::MainWindowCheckHost>(
        this, m_Timer1, m_Timer2, m_paths.freshpollFolder(), [this] { return m_state.busy(); },
        [this] { m_state.setBusy(false); });
    m_newVersionCheck = std::make_unique<update::NewVersionCheck>(
        m_paths.freshpollFolder(), m_paths.freshpollProgram(), *m_checkHost);
    applyCaptions(i18n::StringTable{});
    fitToContents();
    try {
        FormCreate();
    } catch (...) {
        // A failure of the error reporting itself: shown, and the window is still made.
        TunewagonApplication::showCurrentException();
    }
}

TForm1::~TForm1() = default;

void TForm1::createControls() {
    m_LabeledEdit1Label = named<QLabel>("LabeledEdit1Label", this);
    m_LabeledEdit1 = named<QLineEdit>("LabeledEdit1", this);
    m_Button1 = named<QPushButton>("Button1", this);
    m_LabeledEdit2Label = named<QLabel>("LabeledEdit2Label", this);
    m_LabeledEdit2 = named<QLineEdit>("LabeledEdit2", this);
    m_Button2 = named<QPushButton>("Button2", this);
    for (QLineEdit* edit : {m_LabeledEdit1, m_LabeledEdit2}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
    }
    m_LabeledEdit1Label->setBuddy(m_LabeledEdit1);
    m_LabeledEdit2Label->setBuddy(m_LabeledEdit2);

    m_Panel1 = ui::skyBluePanel("Panel1", this);
    m_Label1 = named<QLabel>("Label1", m_Panel1);
    m_Label2 = named<QLabel>("Label2", m_Panel1);
    m_Label3 = named<QLabel>("Label3", m_Panel1);

    m_CheckBox5 = named<QCheckBox>("CheckBox5", this);
    m_CheckBox1 = named<QCheckBox>("CheckBox1", this);
    m_CheckBox2 = named<QCheckBox>("CheckBox2", this);
    m_CheckBox3 = named<QCheckBox>("CheckBox3", this);
    m_CheckBox4 = named<QCheckBox>("CheckBox4", this);
    m_CheckBox6 = named<QCheckBox>("CheckBox6", this);
    m_CheckBox7 = named<QCheckBox>("CheckBox7", this);
    m_CheckBox1->setChecked(true);

    m_Button5 = named<QPushButton>("Button5", this);
    m_Button5->setEnabled(false);
    m_BitBtn1 = named<QPushButton>("BitBtn1", this);
    m_BitBtn1->setFixedSize(26, 26);
    m_BitBtn1->setIcon(ui::helpGlyph());
    m_BitBtn1->setIconSize(QSize(16, 16));
    m_Button4 = named<QPushButton>("Button4", this);
    m_Button4->setText("Language...");
    m_Button4->setEnabled(false);
    m_Button3 = named<QPushButton>("Button3", this);
    m_Button6 = named<QPushButton>("Button6", this);
    for (QPushButton* b :
         {m_Button1, m_Button2, m_Button5, m_BitBtn1, m_Button4, m_Button3, m_Button6})
        b->setAutoDefault(false);

    m_OpenDialogBU = named<QFileDialog>("OpenDialogBU", this);
    m_OpenDialogBU->setFileMode(QFileDialog::ExistingFile);
    m_OpenDialogBU->setAcceptMode(QFileDialog::AcceptOpen);
    m_OpenDialogBU->setDefaultSuffix("m3u");

    m_Timer1 = new QTimer(this);
    m_Timer1->setObjectName("Timer1");
    m_Timer2 = new QTimer(this);
    m_Timer2->setObjectName("Timer2");
    for (QTimer* timer : {m_Timer1, m_Timer2})
        timer->setInterval(1000);
    connect(m_Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(m_Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    // Layout, top to bottom.
    auto* playlistRow = new QHBoxLayout;
    playlistRow->addWidget(m_LabeledEdit1, 1);
    playlistRow->addWidget(m_Button1);
    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_LabeledEdit2, 1);
    destinationRow->addWidget(m_Button2);

    auto* panelLayout = new QVBoxLayout(m_Panel1);
    panelLayout->setContentsMargins(8, 4, 8, 4);
    panelLayout->setSpacing(2);
    panelLayout->addWidget(m_Label1);
    panelLayout->addWidget(m_Label2);
    panelLayout->addWidget(m_Label3);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_Button5);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_BitBtn1);
    buttonRow->addWidget(m_Button4);
    buttonRow->addWidget(m_Button3);
    buttonRow->addWidget(m_Button6);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(4);
    layout->addWidget(m_LabeledEdit1Label);
    layout->addLayout(playlistRow);
    layout->addSpacing(2);
    layout->addWidget(m_LabeledEdit2Label);
    layout->addLayout(destinationRow);
    layout->addSpacing(6);
    layout->addWidget(m_Panel1);
    layout->addSpacing(4);
    layout->addWidget(m_CheckBox5);
    layout->addWidget(m_CheckBox1);
    layout->addWidget(m_CheckBox2);
    layout->addWidget(m_CheckBox3);
    layout->addWidget(m_CheckBox4);
    layout->addWidget(m_CheckBox6);
    layout->addWidget(m_CheckBox7);
    layout->addStretch(1);
    layout->addLayout(buttonRow);

    setTabOrder(m_Button1, m_Button2);
    setTabOrder(m_Button2, m_CheckBox1);
    setTabOrder(m_CheckBox1, m_CheckBox2);
    setTabOrder(m_CheckBox2, m_CheckBox3);
    setTabOrder(m_CheckBox3, m_CheckBox4);
    setTabOrder(m_CheckBox4, m_CheckBox6);
    setTabOrder(m_CheckBox6, m_CheckBox7);
    setTabOrder(m_CheckBox7, m_Button5);
    setTabOrder(m_Button5, m_BitBtn1);
    setTabOrder(m_BitBtn1, m_Button4);
    setTabOrder(m_Button4, m_Button3);
    setTabOrder(m_Button3, m_Button6);
    setTabOrder(m_Button6, m_CheckBox5);

    // The options live in the copy set-up; the check boxes show them. Button4 belongs to
    // the language menu.
    connect(m_CheckBox1, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().keepStructure = on; });
    connect(m_CheckBox2, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().transliterate = on; });
    connect(m_CheckBox3, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().onlyMp3 = on; });
    connect(m_CheckBox4, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().asManyAsFit = on; });
    connect(m_CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
    connect(m_CheckBox6, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().writePlaylist = on; });
    connect(m_CheckBox7, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().skipSame = on; });
    connect(m_Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(m_Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(m_Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(m_BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(m_Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    // Every change of the option runs its handler, a change made while loading too.
    connect(m_CheckBox5, &QCheckBox::toggled, this, &TForm1::CheckBox5Click);
}

// Single border: the designed size unless the captions need more room.
void TForm1::fitToContents() {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setFixedSize(sizeHint().expandedTo(designedSize));
}

void TForm1::applyCaptions(const i18n::StringTable& table) {
    m_LabeledEdit1Label->setText(q(table.LabeledEdit1Label));
    m_LabeledEdit2Label->setText(q(table.LabeledEdit2Label));
    m_Button1->setText(q(table.Button1Caption));
    m_Button2->setText(q(table.Button2Caption));
    m_Button3->setText(q(table.Button3Caption));
    m_Button5->setText(q(table.Button5Caption));
    m_Button6->setText(q(table.Button6Caption));
    m_CheckBox1->setText(q(table.CheckBox1Caption));
    m_CheckBox2->setText(q(table.CheckBox2Caption));
    m_CheckBox3->setText(q(table.CheckBox3Caption));
    m_CheckBox4->setText(q(table.CheckBox4Caption));
    m_CheckBox5->setText(q(table.CheckBox5Caption));
    m_CheckBox6->setText(q(table.CheckBox6Caption));
    m_CheckBox7->setText(q(table.CheckBox7Caption));
    m_state.relabel();
    showSetup();
    QStringList filters;
    for (const auto& f : nameFilters(table.OpenDialogFilter))
        filters << q(f);
    m_OpenDialogBU->setNameFilters(filters);
    m_OpenDialogBU->setWindowTitle(q(table.OpenDialogTitle));
}

void TForm1::FormCreate() {
    guarded(codes::MainFormCreate, [this] {
        m_state.setBusy(false);
        m_firstShow = false;
        // The copy run keeps its own once-per-run notice flag, set at start; the scheduling
        // flags belong to the new-version check.
        m_programName = ProgramName;
        m_programVersion = ProgramVersion;
        m_programEdition = ProgramEdition;

        if (platform::fileExists(m_paths.settingsIni())) {
            const Settings settings = Settings::read(IniFile(m_paths.settingsIni()));
            move(onScreenPosition(*this, settings.Left, settings.Top));
            m_CheckBox1->setChecked(settings.options.keepStructure);
            m_CheckBox2->setChecked(settings.options.transliterate);
            m_CheckBox3->setChecked(settings.options.onlyMp3);
            m_CheckBox4->setChecked(settings.options.asManyAsFit);
            m_CheckBox6->setChecked(settings.options.writePlaylist);
            m_CheckBox7->setChecked(settings.options.skipSame);
            m_CheckBox5->setChecked(settings.Freshpoll);
            i18n::strings().CurrentLanguage = settings.Language;
        } else if (const QScreen* screen = QApplication::primaryScreen()) {
            // Centred on the desktop.
            const QRect desktop = screen->availableGeometry();
            move(desktop.center() - QPoint(width() / 2, height() / 2));
        }

        // Without the checker program the new-version check cannot be turned on.
        if (!platform::fileExists(m_paths.freshpollProgram())) {
            m_CheckBox5->setChecked(false);
            m_CheckBox5->setEnabled(false);
        }
    });
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    guarded(codes::MainFormShow, [this] {
        // The first-start language window never outlives the start-up, so nothing is left
        // to close here.
        if (m_firstShow)
            return;
        languageFirstShow();
        m_firstShow = true;
        if (m_CheckBox5->isChecked())
            startNewVersionCheck();
    });
}

std::string TForm1::CalSize(bool hideZero, std::int64_t kb) {
    std::string text;
    guarded(codes::CalSize, [&] { text = app::CalSize(hideZero, kb); });
    return text;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the program from the error window skips the question and the settings.
    if (errors::ErrorReporter::instance().terminateRequested()) {
        event->accept();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::FormCloseQuery(bool& CanClose) {
    guarded(codes::MainFormCloseQuery, [this, &CanClose] {
        if (m_LabeledEdit1->text().isEmpty() && m_LabeledEdit2->text().isEmpty()) {
            CanClose = true;
            return;
        }
        m_state.setBusy(true);
        const auto& t = i18n::strings();
        CanClose = ui::ask(t.StrAskExit, t.StrExitCaption, this);
        m_state.setBusy(false);
    });
}

void TForm1::FormClose() {
    guarded(codes::MainFormClose, [this] {
        IniFile ini(m_paths.settingsIni());
        Settings settings;
        settings.Top = pos().y();
        settings.Left = pos().x();
        settings.options.keepStructure = m_CheckBox1->isChecked();
        settings.options.transliterate = m_CheckBox2->isChecked();
        settings.options.onlyMp3 = m_CheckBox3->isChecked();
        settings.options.asManyAsFit = m_CheckBox4->isChecked();
        settings.options.writePlaylist = m_CheckBox6->isChecked();
        settings.options.skipSame = m_CheckBox7->isChecked();
        settings.Freshpoll = m_CheckBox5->isChecked();
        settings.Language = i18n::strings().CurrentLanguage;
        settings.write(ini);
    });
}

void TForm1::showSetup() {
    m_LabeledEdit1->setText(q(m_state.setup().playlistField));
    m_LabeledEdit2->setText(q(m_state.setup().destinationField));
    m_Label1->setText(q(m_state.label1()));
    m_Label2->setText(q(m_state.label2()));
    m_Label3->setText(q(m_state.label3()));
}

void TForm1::Button1Click() {
    guarded(codes::MainButton1Click, [this] {
        m_state.setBusy(true);
        const std::optional<std::string> chosen = m_services.choosePlaylist(*m_OpenDialogBU);
        if (chosen) {
            const platform::Path playlist(*chosen);
            m_LabeledEdit1->setText(q(playlist.str()));
            CopyJob& job = m_state.job();
            playlist::TFormWait wait(
                playlist.str(),
                [&job, &playlist](const std::function<bool(std::uint64_t)>& keepGoing) {
                    return job.scanPlaylist(playlist, keepGoing);
                },
                this);
            wait.exec();
            const auto& t = i18n::strings();
            const playlist::ScanResult& scan = wait.result();
            const MainWindowState::ScanNotice notice = m_state.scanned(scan);
            showSetup();
            if (notice == MainWindowState::ScanNotice::NoFiles)
                tell(m_state, this, ui::MessageKind::Refusal, t.StrNoFiles);
            else if (notice == MainWindowState::ScanNotice::FileError)
                tell(m_state, this, ui::MessageKind::Refusal, t.StrFileError, scan.reason);
            CheckLaunchEnabled();
        }
        m_state.setBusy(false);
    });
}

void TForm1::Button2Click() {
    errors::guardedWithStep(codes::MainButton2ClickPrefix, [this] {
        const auto& t = i18n::strings();
        m_state.setBusy(true);
        const std::string initial = m_state.setup().destinationField;
        const std::string folder =
            m_services.chooseFolder(this, t.StrChooseFolderTitle, initial).value_or(initial);
        CopyJob& job = m_state.job();
        const CopyJob::Destination outcome = job.chooseDestination(platform::Path(folder));
        m_state.destinationChosen(outcome);
        showSetup();
        if (outcome == CopyJob::Destination::NoFolder)
            tell(m_state, this, ui::MessageKind::Warning, job.destinationMessage(outcome));
        else if (outcome == CopyJob::Destination::NotLocal)
            tell(m_state, this, ui::MessageKind::Refusal, job.destinationMessage(outcome));
        CheckLaunchEnabled();
        m_state.setBusy(false);
    });
}

void TForm1::CheckLaunchEnabled() {
    guarded(codes::CheckLaunchEnabled, [this] {
        m_Button5->setEnabled(false);
        const LaunchDecision decision = m_state.job().launchRule();
        m_Button5->setEnabled(decision.enabled);
        if (decision.message == LaunchDecision::Message::Warned)
            tell(m_state, this, ui::MessageKind::Warning, decision.text);
        else if (decision.message == LaunchDecision::Message::Refused)
            tell(m_state, this, ui::MessageKind::Refusal, decision.text);
    });
}

void TForm1::CheckBox4Click() {
    guarded(codes::MainCheckBox4Click, [this] { CheckLaunchEnabled(); });
}

void TForm1::Button5Click() {
    guarded(codes::MainButton5Click, [this] {
        m_state.setBusy(true);
        CopyJob& job = m_state.job();
        const copy::CopyPlayList::End end = m_services.copyWindow(this)->execCopy(job);
        m_state.copied(end);
        if (end == copy::CopyPlayList::End::Completed) {
            showSetup();
            CheckLaunchEnabled();
        }
        const auto& t = i18n::strings();
        ui::MsgDialog(this, job.report(), QMessageBox::Ok, "Info", t.StrReportCaption,
                      buildReportDetails(job.problems(), t));
        m_state.setBusy(false);
    });
}

void TForm1::BitBtn1Click() {
    guarded(codes::MainBitBtn1Click, [this] {
        const std::string language = helpLanguage(m_paths, i18n::strings().CurrentLanguage);
        m_services.openPage(helpPage(m_paths, language));
    });
}

void TForm1::Button3Click() {
    m_state.setBusy(true);
    m_services.showAbout(this, m_paths.folder());
    m_state.setBusy(false);
}

void TForm1::Button6Click() {
    close();
}

void TForm1::startNewVersionCheck() {
    guarded(codes::NewVersionCheckStart, [this] { m_newVersionCheck->start(); });
}

void TForm1::CheckBox5Click() {
    if (m_CheckBox5->isChecked()) {
        if (m_firstShow)
            startNewVersionCheck();
    } else {
        m_newVersionCheck->forgetAcknowledgement();
    }
}

void TForm1::Timer1Timer() {
    m_newVersionCheck->timer1Tick();
}

void TForm1::Timer2Timer() {
    m_newVersionCheck->timer2Tick();
}

} // namespace tw::app
