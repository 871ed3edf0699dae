#include "app/Unit1.h"

#include "app/CalSize.h"
#include "app/DialogFilter.h"
#include "app/HelpLanguage.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/TunewagonApplication.h"
#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "errors/ProgramIdentity.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
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
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tw::app {

namespace codes = errors::codes;
using errors::guarded;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

template <class Widget>
Widget* named(const char* name, QWidget* parent) {
    auto* w = new Widget(parent);
    w->setObjectName(name);
    return w;
}

// The designed client size of the main window.
constexpr QSize designedSize(464, 315);

// The help button's glyph: a blue disc with a white question mark.
QIcon helpGlyph() {
    QPixmap pixmap(QSize(32, 32));
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(12, 10), 24);
    fill.setColorAt(0, QColor(0x6A, 0xA8, 0xF0));
    fill.setColorAt(1, QColor(0x1C, 0x5C, 0xC0));
    p.setPen(QPen(QColor(0x12, 0x40, 0x90), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
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
    m_checkHost = std::make_unique<update::MainWindowCheckHost>(
        this, m_Timer1, m_Timer2, m_paths.freshpollFolder(), [this] { return m_busy; },
        [this] { m_busy = false; });
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

    m_Panel1 = named<QFrame>("Panel1", this);
    m_Panel1->setFrameShape(QFrame::Panel);
    m_Panel1->setFrameShadow(QFrame::Sunken);
    QPalette sky = m_Panel1->palette();
    sky.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));
    m_Panel1->setPalette(sky);
    m_Panel1->setAutoFillBackground(true);
    m_Label1 = named<QLabel>("Label1", m_Panel1);
    m_Label2 = named<QLabel>("Label2", m_Panel1);
    m_Label3 = named<QLabel>("Label3", m_Panel1);

    m_CheckBox5 = named<QCheckBox>("CheckBox5", this);
    m_CheckBox1 = named<QCheckBox>("CheckBox1", this);
    m_CheckBox2 = named<QCheckBox>("CheckBox2", this);
    m_CheckBox3 = named<QCheckBox>("CheckBox3", this);
    m_CheckBox4 = named<QCheckBox>("CheckBox4", this);
    m_CheckBox1->setChecked(true);

    m_Button5 = named<QPushButton>("Button5", this);
    m_Button5->setEnabled(false);
    m_BitBtn1 = named<QPushButton>("BitBtn1", this);
    m_BitBtn1->setFixedSize(26, 26);
    m_BitBtn1->setIcon(helpGlyph());
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
    layout->addStretch(1);
    layout->addLayout(buttonRow);

    setTabOrder(m_Button1, m_Button2);
    setTabOrder(m_Button2, m_CheckBox1);
    setTabOrder(m_CheckBox1, m_CheckBox2);
    setTabOrder(m_CheckBox2, m_CheckBox3);
    setTabOrder(m_CheckBox3, m_CheckBox4);
    setTabOrder(m_CheckBox4, m_Button5);
    setTabOrder(m_Button5, m_BitBtn1);
    setTabOrder(m_BitBtn1, m_Button4);
    setTabOrder(m_Button4, m_Button3);
    setTabOrder(m_Button3, m_Button6);
    setTabOrder(m_Button6, m_CheckBox5);

    // Button6 closes the window like its close box. The other buttons, the check boxes'
    // handlers (CheckBox4: launch rule) and the help button are wired with the copy set-up,
    // the language menu and the About window; until then they do nothing.
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
    m_Label1->setText(q(table.Label1Prefix + m_countText));
    m_Label2->setText(q(table.Label2Prefix + app::CalSize(true, m_listSizeKB, table)));
    m_Label3->setText(q(table.Label3Prefix + app::CalSize(true, m_destinationFreeKB, table)));
    QStringList filters;
    for (const auto& f : nameFilters(table.OpenDialogFilter))
        filters << q(f);
    m_OpenDialogBU->setNameFilters(filters);
    m_OpenDialogBU->setWindowTitle(q(table.OpenDialogTitle));
}

void TForm1::FormCreate() {
    guarded(codes::MainFormCreate, [this] {
        m_busy = false;
        m_firstShow = false;
        m_countText.clear();
        // The copy run keeps its own once-per-run notice flag, set at start; the scheduling
        // flags belong to the new-version check.
        m_programName = ProgramName;
        m_programVersion = ProgramVersion;
        m_programEdition = ProgramEdition;

        if (platform::fileExists(m_paths.settingsIni())) {
            const Settings settings = Settings::read(IniFile(m_paths.settingsIni()));
            move(settings.Left, settings.Top);
            m_CheckBox1->setChecked(settings.structure);
            m_CheckBox2->setChecked(settings.translit);
            m_CheckBox3->setChecked(settings.onlymp3);
            m_CheckBox4->setChecked(settings.max);
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
        // The first-start language window, once it exists, is closed here when it was
        // created but never shown.
        if (m_firstShow)
            return;
        // The language menu is built here with the language selection.
        LoadLanguage(i18n::strings().CurrentLanguage);
        m_firstShow = true;
        if (m_CheckBox5->isChecked())
            startNewVersionCheck();
    });
}

void TForm1::LoadLanguage(const std::string& name) {
    guarded(codes::LoadLanguage, [this, &name] {
        auto& table = i18n::strings();
        try {
            i18n::loadLanguageFile(table, m_paths.folder(), name);
        } catch (...) {
            // What was applied before the failure shows.
            applyCaptions(table);
            throw;
        }
        applyCaptions(table);
        fitToContents();
        // The help button's hint names the language of the help it opens.
        m_BitBtn1->setToolTip(QString());
        m_BitBtn1->setToolTip(q(helpLanguage(m_paths, table.CurrentLanguage)));
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
        QApplication::beep();
        m_busy = true;
        const auto& t = i18n::strings();
        QMessageBox box(QMessageBox::Question, q(t.StrExitCaption), q(t.StrAskExit),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::Yes);
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        CanClose = box.exec() == QMessageBox::Yes;
        m_busy = false;
    });
}

void TForm1::FormClose() {
    guarded(codes::MainFormClose, [this] {
        IniFile ini(m_paths.settingsIni());
        Settings settings;
        settings.Top = pos().y();
        settings.Left = pos().x();
        settings.structure = m_CheckBox1->isChecked();
        settings.translit = m_CheckBox2->isChecked();
        settings.onlymp3 = m_CheckBox3->isChecked();
        settings.max = m_CheckBox4->isChecked();
        settings.Freshpoll = m_CheckBox5->isChecked();
        settings.Language = i18n::strings().CurrentLanguage;
        settings.write(ini);
    });
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
