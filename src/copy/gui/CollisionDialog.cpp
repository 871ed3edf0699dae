#include "copy/gui/CollisionDialog.h"

#include "copy/gui/RenameDialog.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "ui/FittedCaption.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace tw::copy {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

namespace {

const QSize designedSize(488, 192);

QLabel* rowLabel(const char* name, QWidget* parent) {
    QLabel* label = ui::label(name, parent);
    QFont font = label->font();
    font.setPointSize(10);
    label->setFont(font);
    return label;
}

void openWithDesktop(const std::string& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(q(folder)));
}

} // namespace

std::string CollisionDialog::sizeText(std::int64_t bytes, const std::string& kb) {
    return std::to_string(bytes / 1024) + " " + kb;
}

std::string CollisionDialog::dateText(const std::optional<std::int64_t>& lastWrite,
                                      const std::string& created) {
    if (!lastWrite)
        return created;
    const QDateTime local = QDateTime::fromSecsSinceEpoch(*lastWrite);
    return created + local.toString(" dd.MM.yy hh:mm:ss").toStdString();
}

CollisionDialog::CollisionDialog(const i18n::StringTable& strings,
                                 const CollisionQuestion& question, QWidget* parent,
                                 OpenFolder openFolder)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_strings(strings)
    , m_question(question)
    , m_openFolder(openFolder ? std::move(openFolder) : OpenFolder(openWithDesktop)) {
    setObjectName("collisionDialog");
    setModal(true);

    m_existsLabel = ui::label("existsLabel", this);
    m_existsLabel->setWordWrap(true);
    m_existsLabel->setTextFormat(Qt::PlainText);
    auto* panel = ui::skyBluePanel("namePanel", this);
    m_replaceExistingLabel = ui::label("replaceExistingLabel", panel);
    m_targetSizeLabel = rowLabel("targetSizeLabel", panel);
    m_targetDateLabel = rowLabel("targetDateLabel", panel);
    m_openTargetFolderButton = ui::button("openTargetFolderButton", panel);
    m_withFileLabel = ui::label("withFileLabel", panel);
    m_sourceSizeLabel = rowLabel("sourceSizeLabel", panel);
    m_sourceDateLabel = rowLabel("sourceDateLabel", panel);
    m_openSourceFolderButton = ui::button("openSourceFolderButton", panel);
    m_replaceButton = ui::button("replaceButton", this);
    m_skipButton = ui::button("skipButton", this);
    m_renameButton = ui::button("renameButton", this);
    m_cancelButton = ui::button("cancelButton", this);
    m_sameActionBox = ui::named<QCheckBox>("sameActionBox", this);
    m_renameMenu = ui::named<QMenu>("renameMenu", this);
    m_renameByHandItem = m_renameMenu->addAction(QString());
    m_renameByHandItem->setObjectName("renameByHandItem");
    m_renameAutomaticallyItem = m_renameMenu->addAction(QString());
    m_renameAutomaticallyItem->setObjectName("renameAutomaticallyItem");

    auto* rows = new QGridLayout(panel);
    rows->setContentsMargins(8, 4, 8, 4);
    rows->setHorizontalSpacing(16);
    rows->addWidget(m_replaceExistingLabel, 0, 0, 1, 3);
    rows->addWidget(m_targetSizeLabel, 1, 0);
    rows->addWidget(m_targetDateLabel, 1, 1);
    rows->addWidget(m_openTargetFolderButton, 1, 2);
    rows->addWidget(m_withFileLabel, 2, 0, 1, 3);
    rows->addWidget(m_sourceSizeLabel, 3, 0);
    rows->addWidget(m_sourceDateLabel, 3, 1);
    rows->addWidget(m_openSourceFolderButton, 3, 2);
    rows->setColumnStretch(1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(m_replaceButton);
    actions->addWidget(m_skipButton);
    actions->addWidget(m_renameButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_sameActionBox, 1);
    bottom->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_existsLabel);
    layout->addWidget(panel);
    layout->addLayout(actions);
    layout->addLayout(bottom);

    connect(m_replaceButton, &QPushButton::clicked, this, &CollisionDialog::replace);
    connect(m_openTargetFolderButton, &QPushButton::clicked, this,
            &CollisionDialog::openTargetFolder);
    connect(m_skipButton, &QPushButton::clicked, this, &CollisionDialog::skip);
    connect(m_renameButton, &QPushButton::clicked, this, &CollisionDialog::openRenameMenu);
    connect(m_cancelButton, &QPushButton::clicked, this, &CollisionDialog::cancelRun);
    connect(m_openSourceFolderButton, &QPushButton::clicked, this,
            &CollisionDialog::openSourceFolder);
    connect(m_renameByHandItem, &QAction::triggered, this, &CollisionDialog::renameByHand);
    connect(m_renameAutomaticallyItem, &QAction::triggered, this,
            &CollisionDialog::renameAutomatically);

    applyTexts();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

void CollisionDialog::applyTexts() {
    guarded(codes::CollisionApplyTexts, [this] {
        const auto& t = m_strings;
        setWindowTitle(q(t.StrChooseAction));
        // Texts from a language file are shortened where they would widen the dialog past
        // the screen, the whole text then in a tooltip: a line of the dialog takes 80% of
        // the screen at most, each of the three action buttons a fifth.
        const int line = ui::captionWidth(this, 0.8);
        const int actionButton = ui::captionWidth(this, 0.2);
        // A name longer than the dialog is shortened in its middle, not let widen it.
        const QFontMetrics metrics = m_existsLabel->fontMetrics();
        const QString name = metrics.elidedText(q(m_question.target.path.fileName()),
                                                Qt::ElideMiddle, designedSize.width() - 24);
        m_existsLabel->setText(metrics.elidedText(q(t.StrFileExists), Qt::ElideRight, line) + "\n" +
                               name);
        m_existsLabel->setToolTip(
            ui::plainToolTip(q(t.StrFileExists + "\n" + m_question.target.path.str())));
        ui::setFittedText(m_replaceExistingLabel, q(t.StrReplaceExisting), line);
        m_targetSizeLabel->setText(q(sizeText(m_question.target.size, t.StrKB)));
        ui::setFittedText(m_targetDateLabel, q(dateText(m_question.target.lastWrite, t.StrCreated)),
                          line / 2);
        ui::setFittedText(m_withFileLabel, q(t.StrWithFile), line);
        m_sourceSizeLabel->setText(q(sizeText(m_question.source.size, t.StrKB)));
        ui::setFittedText(m_sourceDateLabel, q(dateText(m_question.source.lastWrite, t.StrCreated)),
                          line / 2);
        // The tooltips name the full paths, as the buttons will open them.
        ui::setFittedText(m_openTargetFolderButton, q(t.StrOpenFolder), actionButton,
                          q(m_question.target.path.str()));
        ui::setFittedText(m_openSourceFolderButton, q(t.StrOpenFolder), actionButton,
                          q(m_question.source.path.str()));
        ui::setFittedText(m_replaceButton, q(t.StrReplace), actionButton);
        ui::setFittedText(m_skipButton, q(t.StrSkip), actionButton);
        ui::setFittedText(m_renameButton, q(t.StrRename), actionButton);
        ui::setFittedText(m_cancelButton, q(t.StrCancel), actionButton);
        ui::setFittedText(m_renameMenu, m_renameByHandItem, q(t.StrRenameManual), line / 2);
        ui::setFittedText(m_renameMenu, m_renameAutomaticallyItem, q(t.StrRenameAuto), line / 2);
        ui::setFittedText(m_sameActionBox, q(t.StrSameAction), line / 2, q(t.StrSameActionHint));
        m_sameActionBox->setChecked(false);
        m_sameActionBox->setEnabled(!m_question.sameSize);
        m_answer = CollisionAnswer{};
    });
}

void CollisionDialog::reject() {
    // Escape and the window manager's close give no answer; only the buttons close it.
}

void CollisionDialog::done(int result) {
    if (!m_closed) {
        m_closed = true;
        cleanUpOnClose();
    }
    QDialog::done(result);
}

void CollisionDialog::cleanUpOnClose() {
    guarded(codes::CollisionCleanUpOnClose, [this] {
        m_answer.sameForRest = m_sameActionBox->isEnabled() && m_sameActionBox->isChecked();
    });
}

void CollisionDialog::answerWith(CollisionAction action) {
    m_answer.action = action;
    accept();
}

void CollisionDialog::replace() {
    guarded(codes::CollisionReplace, [this] { answerWith(CollisionAction::Replace); });
}

void CollisionDialog::skip() {
    guarded(codes::CollisionSkip, [this] { answerWith(CollisionAction::Skip); });
}

void CollisionDialog::openRenameMenu() {
    guarded(codes::CollisionOpenRenameMenu,
            [this] { m_renameMenu->popup(ui::menuPlace(m_renameButton)); });
}

void CollisionDialog::renameByHand() {
    guarded(codes::CollisionRenameByHand, [this] {
        const platform::Path& target = m_question.target.path;
        RenameDialog rename(m_strings, target.fileName(), target.folder(), this,
                            m_question.targetNames);
        if (rename.exec() != QDialog::Accepted)
            return;
        m_answer.typedName = rename.typedName();
        answerWith(CollisionAction::Rename);
    });
}

void CollisionDialog::renameAutomatically() {
    guarded(codes::CollisionRenameAutomatically,
            [this] { answerWith(CollisionAction::AutoRename); });
}

void CollisionDialog::cancelRun() {
    guarded(codes::CollisionCancelRun, [this] {
        const auto& t = m_strings;
        if (!ui::ask(t.StrAskStopCopy, t.StrConfirmCaption, this))
            return;
        m_answer.action = CollisionAction::None;
        m_answer.stopConfirmed = true;
        accept();
    });
}

void CollisionDialog::openTargetFolder() {
    guarded(codes::CollisionOpenTargetFolder,
            [this] { m_openFolder(m_question.target.path.folder().str()); });
}

void CollisionDialog::openSourceFolder() {
    guarded(codes::CollisionOpenSourceFolder,
            [this] { m_openFolder(m_question.source.path.folder().str()); });
}

} // namespace tw::copy
