// The language side of the main window: the language menu, the language steps of its first
// show, and the re-captioning while a language loads.
#include "app/CalSize.h"
#include "app/DialogFilter.h"
#include "app/Unit1.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/LanguageScan.h"
#include "i18n/StringTable.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCursor>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace tw::app {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

void TForm1::createLanguageMenu() {
    m_PopupMenu1 = new QMenu(this);
    m_PopupMenu1->setObjectName("PopupMenu1");
    m_languageItems = new QActionGroup(m_PopupMenu1);
    m_languageItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    // The design-time item: the built-in language, ticked.
    auto* russian = new QAction(q(i18n::BuiltInDisplayName), m_languageItems);
    russian->setObjectName(i18n::BuiltInLanguage);
    russian->setCheckable(true);
    russian->setChecked(true);
    m_PopupMenu1->addAction(russian);
    connect(m_languageItems, &QActionGroup::triggered, this, &TForm1::ChangeLanguage);
    // A language file's words are shown as written, never read as markup.
    for (QLabel* label : {m_LabeledEdit1Label, m_LabeledEdit2Label, m_Label1, m_Label2, m_Label3})
        label->setTextFormat(Qt::PlainText);
    connect(m_Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
}

void TForm1::languageFirstShow() {
    for (const i18n::LanguageEntry& language : i18n::scanLanguages(m_paths.folder())) {
        m_Button4->setEnabled(true);
        auto* item = new QAction(q(language.displayName()), m_languageItems);
        item->setObjectName(q(language.name));
        item->setCheckable(true);
        m_PopupMenu1->addAction(item);
    }
    LoadLanguage(i18n::strings().CurrentLanguage);
    tickCurrentLanguage();
}

void TForm1::tickCurrentLanguage() {
    const QString current = q(i18n::strings().CurrentLanguage);
    for (QAction* item : m_languageItems->actions()) {
        if (item->objectName() == current)
            item->setChecked(true);
    }
}

void TForm1::Button4Click() {
    guarded(codes::MainButton4Click, [this] { m_PopupMenu1->popup(QCursor::pos()); });
}

void TForm1::ChangeLanguage(QAction* item) {
    guarded(codes::ChangeLanguage, [this, item] {
        // Clicking the ticked item may untick it: the current language is ticked again.
        if (m_languageItems->checkedAction() == nullptr) {
            tickCurrentLanguage();
            return;
        }
        const std::string name = item->objectName().toStdString();
        if (!item->isChecked() || name == i18n::strings().CurrentLanguage)
            return;
        LoadLanguage(name);
        // Transliteration is a matter of the Russian interface; its tick stays as it is.
        m_CheckBox2->setEnabled(i18n::strings().CurrentLanguage == i18n::BuiltInLanguage);
    });
}

void TForm1::LoadLanguage(const std::string& name) {
    guarded(codes::LoadLanguage,
            [this, &name] { i18n::LoadLanguage(i18n::strings(), m_paths.folder(), name, *this); });
    // Whatever was applied, the window makes room for it.
    fitToContents();
}

std::string TForm1::informationValue(i18n::MainCaption label, const i18n::StringTable& table) {
    const CopySetup& setup = m_state.setup();
    switch (label) {
    case i18n::MainCaption::Label1:
        return setup.countText;
    case i18n::MainCaption::Label2:
        return app::CalSize(true, setup.listSizeKB, table);
    case i18n::MainCaption::Label3:
        return app::CalSize(true, setup.freeKB, table);
    default:
        return {};
    }
}

void TForm1::setCaption(i18n::MainCaption control, const std::string& text) {
    using i18n::MainCaption;
    switch (control) {
    case MainCaption::LabeledEdit1:
        m_LabeledEdit1Label->setText(q(text));
        return;
    case MainCaption::LabeledEdit2:
        m_LabeledEdit2Label->setText(q(text));
        return;
    case MainCaption::Button1:
        m_Button1->setText(q(text));
        return;
    case MainCaption::Button2:
        m_Button2->setText(q(text));
        return;
    case MainCaption::Button3:
        m_Button3->setText(q(text));
        return;
    case MainCaption::Button5:
        m_Button5->setText(q(text));
        return;
    case MainCaption::Button6:
        m_Button6->setText(q(text));
        return;
    case MainCaption::CheckBox1:
        m_CheckBox1->setText(q(text));
        return;
    case MainCaption::CheckBox2:
        m_CheckBox2->setText(q(text));
        return;
    case MainCaption::CheckBox3:
        m_CheckBox3->setText(q(text));
        return;
    case MainCaption::CheckBox4:
        m_CheckBox4->setText(q(text));
        return;
    case MainCaption::CheckBox5:
        m_CheckBox5->setText(q(text));
        return;
    case MainCaption::CheckBox6:
        m_CheckBox6->setText(q(text));
        return;
    case MainCaption::CheckBox7:
        m_CheckBox7->setText(q(text));
        return;
    // The window's state composes the label texts from the same table, so what it keeps
    // for later showings is what shows now.
    case MainCaption::Label1:
        m_state.relabel();
        m_Label1->setText(q(text));
        return;
    case MainCaption::Label2:
        m_state.relabel();
        m_Label2->setText(q(text));
        return;
    case MainCaption::Label3:
        m_state.relabel();
        m_Label3->setText(q(text));
        return;
    case MainCaption::OpenDialogFilter: {
        QStringList filters;
        for (const auto& filter : nameFilters(text))
            filters << q(filter);
        m_OpenDialogBU->setNameFilters(filters);
        return;
    }
    case MainCaption::OpenDialogTitle:
        m_OpenDialogBU->setWindowTitle(q(text));
        return;
    }
}

void TForm1::setHelpHint(const std::string& hint) {
    m_BitBtn1->setToolTip(q(hint));
}

} // namespace tw::app
