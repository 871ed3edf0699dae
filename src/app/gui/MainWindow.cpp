#include "app/gui/MainWindow.h"

#include "app/DialogFilter.h"
#include "app/HelpLanguage.h"
#include "app/ReportDetails.h"
#include "app/gui/ScreenPlacement.h"
#include "app/gui/TunewagonApplication.h"
#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "errors/ProgramIdentity.h"
#include "i18n/StringTable.h"
#include "job/IniFile.h"
#include "job/Settings.h"
#include "job/SizeText.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/RemovableDrives.h"
#include "platform/desktop/RemovableDriveWatch.h"
#include "playlist/gui/ScanProgressDialog.h"
#include "ui/DrawnIcons.h"
#include "ui/FittedCaption.h"
#include "ui/MessageBoxes.h"
#include "ui/QtTranslation.h"
#include "ui/SessionEnd.h"
#include "ui/WindowParts.h"
#include "update/NewVersionCheck.h"
#include "update/gui/MainWindowCheckHost.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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

#include <algorithm>
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
// The two re-copy check boxes below the as-many-as-fit option add their height to the designed 315.
constexpr QSize designedSize(464, 355);

// A warning or refusal box over the main window, with its busy flag set while it is open.
void tell(MainWindowState& state, const i18n::StringTable& strings, QWidget* parent,
          ui::MessageKind kind, const std::string& text, const std::string& details = {}) {
    const bool wasBusy = state.busy();
    state.setBusy(true);
    ui::showMessage(kind, text, strings.StrWarningCaption, parent, details);
    state.setBusy(wasBusy);
}

} // namespace

MainWindow::MainWindow(job::ProgramPaths paths, i18n::StringTable& strings, QWidget* parent)
    : MainWindow(std::move(paths), strings, parent, update::CheckerPollInterval) {}

MainWindow::MainWindow(job::ProgramPaths paths, i18n::StringTable& strings, QWidget* parent,
                       std::chrono::milliseconds checkerPoll)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_paths(std::move(paths))
    , m_strings(strings)
    , m_qtTranslation(std::make_unique<ui::QtTranslation>(m_paths.folder())) {
    setObjectName("mainWindow");
    setAcceptDrops(true);
    setWindowTitle(q(std::string(ProgramName)));
    createControls();
    createLanguageMenu();
    m_checkHost = std::make_unique<update::MainWindowCheckHost>(
        m_strings, this, m_checkerAnswerTimer, m_announcementRetryTimer, checkerPoll,
        m_paths.freshpollFolder(), [this] { return m_state.busy(); },
        [this] { m_state.setBusy(false); });
    m_newVersionCheck = std::make_unique<update::NewVersionCheck>(
        m_paths.freshpollFolder(), m_paths.freshpollProgram(), *m_checkHost);
    applyCaptions(i18n::StringTable{});
    fitToContents();
    try {
        loadSettings();
    } catch (...) {
        // A failure of the error reporting itself: shown, and the window is still made.
        TunewagonApplication::showCurrentException();
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls() {
    m_playlistLabel = named<QLabel>("playlistLabel", this);
    m_playlistField = named<QLineEdit>("playlistField", this);
    m_choosePlaylistButton = named<QPushButton>("choosePlaylistButton", this);
    m_destinationLabel = named<QLabel>("destinationLabel", this);
    m_destinationField = named<QLineEdit>("destinationField", this);
    m_chooseDestinationButton = named<QPushButton>("chooseDestinationButton", this);
    m_driveList = named<QComboBox>("driveList", this);
    m_driveList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_driveList->setMinimumContentsLength(10);
    m_driveList->setEnabled(false);
    for (QLineEdit* edit : {m_playlistField, m_destinationField}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
    }
    m_playlistLabel->setBuddy(m_playlistField);
    m_destinationLabel->setBuddy(m_destinationField);

    m_infoPanel = ui::skyBluePanel("infoPanel", this);
    m_listCountLabel = named<QLabel>("listCountLabel", m_infoPanel);
    m_listSizeLabel = named<QLabel>("listSizeLabel", m_infoPanel);
    m_freeSpaceLabel = named<QLabel>("freeSpaceLabel", m_infoPanel);

    m_checkNewVersion = named<QCheckBox>("checkNewVersion", this);
    m_keepStructure = named<QCheckBox>("keepStructure", this);
    m_transliterate = named<QCheckBox>("transliterate", this);
    m_onlyMp3 = named<QCheckBox>("onlyMp3", this);
    m_asManyAsFit = named<QCheckBox>("asManyAsFit", this);
    m_writePlaylist = named<QCheckBox>("writePlaylist", this);
    m_skipSame = named<QCheckBox>("skipSame", this);
    m_numberFiles = named<QCheckBox>("numberFiles", this);
    m_keepStructure->setChecked(true);

    m_startCopyButton = named<QPushButton>("startCopyButton", this);
    m_startCopyButton->setEnabled(false);
    m_helpButton = named<QPushButton>("helpButton", this);
    m_helpButton->setFixedSize(26, 26);
    m_helpButton->setIcon(ui::helpGlyph());
    m_helpButton->setIconSize(QSize(16, 16));
    m_languageButton = named<QPushButton>("languageButton", this);
    m_languageButton->setText("Language...");
    m_languageButton->setEnabled(false);
    m_aboutButton = named<QPushButton>("aboutButton", this);
    m_exitButton = named<QPushButton>("exitButton", this);
    for (QPushButton* b : {m_choosePlaylistButton, m_chooseDestinationButton, m_startCopyButton,
                           m_helpButton, m_languageButton, m_aboutButton, m_exitButton})
        b->setAutoDefault(false);

    m_playlistDialog = named<QFileDialog>("playlistDialog", this);
    m_playlistDialog->setFileMode(QFileDialog::ExistingFile);
    m_playlistDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_playlistDialog->setDefaultSuffix("m3u");

    m_checkerAnswerTimer = new QTimer(this);
    m_checkerAnswerTimer->setObjectName("checkerAnswerTimer");
    m_announcementRetryTimer = new QTimer(this);
    m_announcementRetryTimer->setObjectName("announcementRetryTimer");
    connect(m_checkerAnswerTimer, &QTimer::timeout, this, &MainWindow::pollCheckerAnswer);
    connect(m_announcementRetryTimer, &QTimer::timeout, this, &MainWindow::retryAnnouncement);

    layOutControls();
    connectControls();
}

// Top to bottom: the two choices, the information panel, the options, the button row; the
// tab order follows it.
void MainWindow::layOutControls() {
    auto* playlistRow = new QHBoxLayout;
    playlistRow->addWidget(m_playlistField, 1);
    playlistRow->addWidget(m_choosePlaylistButton);
    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_destinationField, 1);
    destinationRow->addWidget(m_driveList);
    destinationRow->addWidget(m_chooseDestinationButton);

    auto* panelLayout = new QVBoxLayout(m_infoPanel);
    panelLayout->setContentsMargins(8, 4, 8, 4);
    panelLayout->setSpacing(2);
    panelLayout->addWidget(m_listCountLabel);
    panelLayout->addWidget(m_listSizeLabel);
    panelLayout->addWidget(m_freeSpaceLabel);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_startCopyButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_helpButton);
    buttonRow->addWidget(m_languageButton);
    buttonRow->addWidget(m_aboutButton);
    buttonRow->addWidget(m_exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(4);
    layout->addWidget(m_playlistLabel);
    layout->addLayout(playlistRow);
    layout->addSpacing(2);
    layout->addWidget(m_destinationLabel);
    layout->addLayout(destinationRow);
    layout->addSpacing(6);
    layout->addWidget(m_infoPanel);
    layout->addSpacing(4);
    layout->addWidget(m_checkNewVersion);
    layout->addWidget(m_keepStructure);
    layout->addWidget(m_transliterate);
    layout->addWidget(m_onlyMp3);
    layout->addWidget(m_asManyAsFit);
    layout->addWidget(m_writePlaylist);
    layout->addWidget(m_skipSame);
    layout->addWidget(m_numberFiles);
    layout->addStretch(1);
    layout->addLayout(buttonRow);

    setTabOrder(m_choosePlaylistButton, m_chooseDestinationButton);
    setTabOrder(m_chooseDestinationButton, m_driveList);
    setTabOrder(m_driveList, m_keepStructure);
    setTabOrder(m_keepStructure, m_transliterate);
    setTabOrder(m_transliterate, m_onlyMp3);
    setTabOrder(m_onlyMp3, m_asManyAsFit);
    setTabOrder(m_asManyAsFit, m_writePlaylist);
    setTabOrder(m_writePlaylist, m_skipSame);
    setTabOrder(m_skipSame, m_numberFiles);
    setTabOrder(m_numberFiles, m_startCopyButton);
    setTabOrder(m_startCopyButton, m_helpButton);
    setTabOrder(m_helpButton, m_languageButton);
    setTabOrder(m_languageButton, m_aboutButton);
    setTabOrder(m_aboutButton, m_exitButton);
    setTabOrder(m_exitButton, m_checkNewVersion);
}

void MainWindow::connectControls() {
    // The options live in the copy set-up; the check boxes show them. The language button belongs
    // to the language menu.
    connect(m_keepStructure, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().keepStructure = on; });
    connect(m_transliterate, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().transliterate = on; });
    connect(m_onlyMp3, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().onlyMp3 = on; });
    connect(m_asManyAsFit, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().asManyAsFit = on; });
    connect(m_asManyAsFit, &QCheckBox::clicked, this, &MainWindow::asManyAsFitClicked);
    connect(m_writePlaylist, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().writePlaylist = on; });
    connect(m_skipSame, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().skipSame = on; });
    connect(m_numberFiles, &QCheckBox::toggled, this,
            [this](bool on) { m_state.job().options().number = on; });
    connect(m_choosePlaylistButton, &QPushButton::clicked, this, &MainWindow::choosePlaylist);
    connect(m_chooseDestinationButton, &QPushButton::clicked, this, &MainWindow::chooseDestination);
    connect(m_driveList, &QComboBox::activated, this, &MainWindow::chooseRemovableDrive);
    connect(m_aboutButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(m_startCopyButton, &QPushButton::clicked, this, &MainWindow::startCopy);
    connect(m_helpButton, &QPushButton::clicked, this, &MainWindow::openHelp);
    connect(m_exitButton, &QPushButton::clicked, this, &MainWindow::exitProgram);
    // Every change of the option runs its handler, a change made while loading too.
    connect(m_checkNewVersion, &QCheckBox::toggled, this, &MainWindow::checkNewVersionToggled);
}

// Single border: the designed size unless the captions need more room.
void MainWindow::fitToContents() {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setFixedSize(sizeHint().expandedTo(designedSize));
}

void MainWindow::applyCaptions(const i18n::StringTable& table) {
    // The captions by the same mapping a language's loading uses, then what the set-up shows.
    i18n::showCaptions(table, *this);
    showSetup();
}

// A row of its own may take most of the screen's width; a button of the bottom row, where
// four stand side by side, a sixth of it.
void MainWindow::fitCaption(QAbstractButton* control, const std::string& text) {
    const bool rowOfItsOwn = qobject_cast<QCheckBox*>(control) != nullptr;
    ui::setFittedText(control, q(text), ui::captionWidth(this, rowOfItsOwn ? 0.8 : 0.16));
}

void MainWindow::fitCaption(QLabel* label, const std::string& text) {
    ui::setFittedText(label, q(text), ui::captionWidth(this, 0.8));
}

void MainWindow::setOpenDialogFilter(const std::string& filter) {
    QStringList filters;
    for (const auto& f : playlistNameFilters(filter))
        filters << q(f);
    m_playlistDialog->setNameFilters(filters);
}

void MainWindow::loadSettings() {
    guarded(codes::MainLoadSettings, [this] {
        m_state.setBusy(false);
        m_firstShow = false;
        // The copy run keeps its own once-per-run notice flag, set at start; the scheduling
        // flags belong to the new-version check.
        m_programName = ProgramName;
        m_programVersion = ProgramVersion;
        m_programEdition = ProgramEdition;

        if (platform::fileExists(m_paths.settingsIni())) {
            const job::Settings settings = job::Settings::read(job::IniFile(m_paths.settingsIni()));
            // The client area's place, as saveSettings saved it: a window manager's frame
            // around it does not move the window a little on every start.
            setGeometry(QRect(onScreenPosition(*this, settings.Left, settings.Top), size()));
            m_keepStructure->setChecked(settings.options.keepStructure);
            m_transliterate->setChecked(settings.options.transliterate);
            m_onlyMp3->setChecked(settings.options.onlyMp3);
            m_asManyAsFit->setChecked(settings.options.asManyAsFit);
            m_writePlaylist->setChecked(settings.options.writePlaylist);
            m_skipSame->setChecked(settings.options.skipSame);
            m_numberFiles->setChecked(settings.options.number);
            m_checkNewVersion->setChecked(settings.Freshpoll);
            m_strings.CurrentLanguage = settings.Language;
        } else if (const QScreen* screen = QApplication::primaryScreen()) {
            // Centred on the desktop.
            const QRect desktop = screen->availableGeometry();
            move(desktop.center() - QPoint(width() / 2, height() / 2));
        }

        // Without the checker program the new-version check cannot be turned on.
        if (!platform::fileExists(m_paths.freshpollProgram())) {
            m_checkNewVersion->setChecked(false);
            m_checkNewVersion->setEnabled(false);
        }
    });
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    prepareOnShow();
}

void MainWindow::prepareOnShow() {
    guarded(codes::MainPrepareOnShow, [this] {
        // The first-start language window never outlives the start-up, so nothing is left
        // to close here.
        if (m_firstShow)
            return;
        watchRemovableDrives();
        languageFirstShow();
        m_firstShow = true;
        if (m_checkNewVersion->isChecked())
            startNewVersionCheck();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the program from the error window skips the question and the settings.
    if (errors::ErrorReporter::instance().terminateRequested()) {
        event->accept();
        return;
    }
    bool canClose = true;
    confirmClose(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}

void MainWindow::confirmClose(bool& canClose) {
    guarded(codes::MainConfirmClose, [this, &canClose] {
        if (m_playlistField->text().isEmpty() && m_destinationField->text().isEmpty()) {
            canClose = true;
            return;
        }
        m_state.setBusy(true);
        const auto& t = m_strings;
        canClose = ui::ask(t.StrAskExit, t.StrExitCaption, this);
        m_state.setBusy(false);
    });
}

void MainWindow::saveSettings() {
    guarded(codes::MainSaveSettings, [this] {
        job::IniFile ini(m_paths.settingsIni());
        job::Settings settings;
        // The client area's place, the one loadSettings restores (pos() would be the frame's,
        // which a window manager puts elsewhere than it was asked to).
        settings.Top = geometry().y();
        settings.Left = geometry().x();
        settings.options.keepStructure = m_keepStructure->isChecked();
        settings.options.transliterate = m_transliterate->isChecked();
        settings.options.onlyMp3 = m_onlyMp3->isChecked();
        settings.options.asManyAsFit = m_asManyAsFit->isChecked();
        settings.options.writePlaylist = m_writePlaylist->isChecked();
        settings.options.skipSame = m_skipSame->isChecked();
        settings.options.number = m_numberFiles->isChecked();
        settings.Freshpoll = m_checkNewVersion->isChecked();
        settings.Language = m_strings.CurrentLanguage;
        settings.write(ini);
    });
}

void MainWindow::showSetup() {
    m_playlistField->setText(q(m_state.setup().playlistField));
    m_destinationField->setText(q(m_state.setup().destinationField));
    fitCaption(m_listCountLabel, m_state.listCountText());
    fitCaption(m_listSizeLabel, m_state.listSizeText());
    fitCaption(m_freeSpaceLabel, m_state.freeSpaceText());
}

void MainWindow::choosePlaylist() {
    guarded(codes::MainChoosePlaylist, [this] {
        m_state.setBusy(true);
        const std::optional<std::string> chosen = m_services.choosePlaylist(*m_playlistDialog);
        if (chosen)
            scanChosenPlaylist(*chosen);
        m_state.setBusy(false);
    });
}

void MainWindow::scanChosenPlaylist(const std::string& path) {
    const platform::Path playlist(path);
    m_playlistField->setText(q(playlist.str()));
    job::CopyJob& job = m_state.job();
    playlist::ScanProgressDialog wait(
        m_strings, playlist.str(),
        [&job, &playlist](const std::function<bool(std::uint64_t)>& keepGoing) {
            return job.scanPlaylist(playlist, keepGoing);
        },
        this);
    wait.exec();
    const auto& t = m_strings;
    const playlist::ScanResult& scan = wait.result();
    const MainWindowState::ScanNotice notice = m_state.scanned(scan);
    showSetup();
    if (notice == MainWindowState::ScanNotice::NoFiles)
        tell(m_state, m_strings, this, ui::MessageKind::Refusal, t.StrNoFiles);
    else if (notice == MainWindowState::ScanNotice::FileError)
        tell(m_state, m_strings, this, ui::MessageKind::Refusal, t.StrFileError, scan.reason);
    updateStartButton();
}

void MainWindow::chooseDestination() {
    errors::guardedWithStep(codes::MainChooseDestinationPrefix, [this] {
        const auto& t = m_strings;
        m_state.setBusy(true);
        const std::string initial = m_state.setup().destinationField;
        takeDestination(
            m_services.chooseFolder(this, t.StrChooseFolderTitle, initial).value_or(initial));
        m_state.setBusy(false);
    });
}

void MainWindow::chooseRemovableDrive(int index) {
    errors::guardedWithStep(codes::MainChooseDestinationPrefix, [this, index] {
        const QString folder = m_driveList->itemData(index).toString();
        // The list shows its caption again: the destination field tells what was taken.
        m_driveList->setCurrentIndex(0);
        if (folder.isEmpty())
            return;
        m_state.setBusy(true);
        takeDestination(folder.toStdString());
        m_state.setBusy(false);
    });
}

void MainWindow::takeDestination(const std::string& folder) {
    job::CopyJob& job = m_state.job();
    const job::CopyJob::Destination outcome = job.chooseDestination(platform::Path(folder));
    m_state.destinationChosen(outcome);
    showSetup();
    if (outcome == job::CopyJob::Destination::NoFolder)
        tell(m_state, m_strings, this, ui::MessageKind::Warning, job.destinationMessage(outcome));
    else if (outcome == job::CopyJob::Destination::NotLocal)
        tell(m_state, m_strings, this, ui::MessageKind::Refusal, job.destinationMessage(outcome));
    updateStartButton();
}

void MainWindow::watchRemovableDrives() {
    if (m_driveWatch || !m_services.removableDrives)
        return;
    m_driveWatch = m_services.removableDrives(nullptr);
    if (m_driveWatch)
        connect(m_driveWatch.get(), &platform::RemovableDriveWatch::changed, this, [this] {
            errors::guardedWithStep(codes::MainChooseDestinationPrefix,
                                    [this] { refreshDriveList(); });
        });
    refreshDriveList();
}

void MainWindow::refreshDriveList() {
    const auto& t = m_strings;
    const std::vector<platform::RemovableDrive> drives =
        m_driveWatch ? m_driveWatch->drives() : std::vector<platform::RemovableDrive>{};
    m_driveList->clear();
    m_driveList->addItem(q(t.StrRemovableDrives));
    int widest = 0;
    for (const platform::RemovableDrive& drive : drives) {
        // "STICK  3 GB / 14 GB  /media/user/STICK": free of the whole, then where it is.
        const std::string free = drive.freeBytes < 0
                                     ? std::string("?")
                                     : job::sizeText(false, drive.freeBytes / 1024, t);
        const std::string size =
            job::sizeText(false, static_cast<std::int64_t>(drive.sizeBytes / 1024), t);
        const QString item = q(drive.label + "  " + free + " / " + size + "  " + drive.mountPoint);
        m_driveList->addItem(item, q(drive.mountPoint));
        m_driveList->setItemData(m_driveList->count() - 1,
                                 q(t.StrFreeSpace + " " + free + "\n" + drive.device),
                                 Qt::ToolTipRole);
        widest = std::max(widest, m_driveList->fontMetrics().horizontalAdvance(item));
    }
    m_driveList->view()->setMinimumWidth(widest + 32);
    // The closed list shows its caption whole, up to a sixth of the screen.
    const int captionWidth = m_driveList->fontMetrics().horizontalAdvance(q(t.StrRemovableDrives));
    m_driveList->setMinimumWidth(std::min(captionWidth + 40, ui::captionWidth(this, 0.16)));
    m_driveList->setEnabled(!drives.empty());
    m_driveList->setToolTip(q(t.StrRemovableDrives));
}
void MainWindow::updateStartButton() {
    guarded(codes::MainUpdateStartButton, [this] {
        m_startCopyButton->setEnabled(false);
        const job::LaunchDecision decision = m_state.job().launchRule();
        m_startCopyButton->setEnabled(decision.enabled);
        if (decision.message == job::LaunchDecision::Message::Warned)
            tell(m_state, m_strings, this, ui::MessageKind::Warning, decision.text);
        else if (decision.message == job::LaunchDecision::Message::Refused)
            tell(m_state, m_strings, this, ui::MessageKind::Refusal, decision.text);
    });
}

void MainWindow::asManyAsFitClicked() {
    guarded(codes::MainAsManyAsFitClicked, [this] { updateStartButton(); });
}

void MainWindow::startCopy() {
    guarded(codes::MainStartCopy, [this] {
        m_state.setBusy(true);
        job::CopyJob& job = m_state.job();
        // The run clears the set-up when it completes: where it copied to is kept first.
        const std::string destination = m_state.setup().destinationField;
        const copy::CopyRun::End end = m_services.copyWindow(m_strings, this)->execCopy(job);
        m_state.copied(end);
        if (end == copy::CopyRun::End::Completed) {
            showSetup();
            updateStartButton();
        }
        const auto& t = m_strings;
        // At the session's end there is nobody left to read it.
        if (!ui::sessionEnding()) {
            std::optional<platform::RemovableDrive> stick;
            if (m_driveWatch && m_driveWatch->canRemove() && !destination.empty())
                for (const platform::RemovableDrive& drive : m_driveWatch->drives())
                    if (platform::holdsFolder(drive, destination))
                        stick = drive;
            const std::string details = buildReportDetails(job.problems(), t);
            // Onto a removable drive, the report offers to take it out.
            if (!stick)
                ui::MsgDialog(this, job.report(), QMessageBox::Ok, "Info", t.StrReportCaption,
                              details);
            else if (ui::MsgDialogOffering(this, job.report(), "Info", t.StrReportCaption, details,
                                           t.StrSafelyRemove))
                safelyRemove(*stick);
        }
        m_state.setBusy(false);
    });
}

void MainWindow::safelyRemove(const platform::RemovableDrive& drive) {
    const auto& t = m_strings;
    const std::string where = drive.label + " (" + drive.mountPoint + ")";
    setCursor(Qt::WaitCursor);
    const platform::RemovableDriveWatch::RemovalOutcome outcome =
        m_driveWatch->safelyRemove(drive.mountPoint);
    unsetCursor();
    switch (outcome.result) {
    case platform::RemovableDriveWatch::Removal::Removed:
        ui::showMessage(ui::MessageKind::Information, t.StrDriveRemoved + "\n" + where,
                        t.StrSafelyRemove, this, outcome.reason);
        break;
    case platform::RemovableDriveWatch::Removal::Busy:
        ui::showMessage(ui::MessageKind::Refusal, t.StrDriveBusy + "\n" + where, t.StrSafelyRemove,
                        this, outcome.reason);
        break;
    case platform::RemovableDriveWatch::Removal::Failed:
        ui::showMessage(ui::MessageKind::Refusal, t.StrRemoveFailed + "\n" + where,
                        t.StrSafelyRemove, this, outcome.reason);
        break;
    }
    refreshDriveList();
}

void MainWindow::openHelp() {
    guarded(codes::MainOpenHelp, [this] {
        const std::string language = helpLanguage(m_paths, m_strings.CurrentLanguage);
        m_services.openPage(helpPage(m_paths, language));
    });
}

void MainWindow::showAbout() {
    m_state.setBusy(true);
    m_services.showAbout(m_strings, this, m_paths.folder());
    m_state.setBusy(false);
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::startNewVersionCheck() {
    guarded(codes::NewVersionCheckStart, [this] { m_newVersionCheck->start(); });
}

void MainWindow::checkNewVersionToggled() {
    if (m_checkNewVersion->isChecked()) {
        if (m_firstShow)
            startNewVersionCheck();
    } else {
        m_newVersionCheck->forgetAcknowledgement();
    }
}

void MainWindow::pollCheckerAnswer() {
    m_newVersionCheck->answerPollTick();
}

void MainWindow::retryAnnouncement() {
    m_newVersionCheck->announcementRetryTick();
}

} // namespace tw::app
