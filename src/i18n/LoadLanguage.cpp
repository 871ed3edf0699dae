#include "i18n/LoadLanguage.h"

#include "i18n/LanguageFile.h"
#include "platform/FileSystem.h"

#include <array>
#include <utility>

namespace tw::i18n {

namespace {

const std::string russian = "Russian";
const std::string english = "English";

constexpr std::array<MainCaption, 19> kAllCaptions = {
    MainCaption::LabeledEdit1,    MainCaption::LabeledEdit2, MainCaption::Button1,
    MainCaption::Button2,         MainCaption::Button3,      MainCaption::Button5,
    MainCaption::Button6,         MainCaption::CheckBox1,    MainCaption::CheckBox2,
    MainCaption::CheckBox3,       MainCaption::CheckBox4,    MainCaption::Label1,
    MainCaption::Label2,          MainCaption::Label3,       MainCaption::OpenDialogFilter,
    MainCaption::OpenDialogTitle, MainCaption::CheckBox5,    MainCaption::CheckBox6,
    MainCaption::CheckBox7};

// The caption that a language-file line sets, if any.
bool captionOfLine(int line, MainCaption& control) {
    static constexpr std::array<std::pair<int, MainCaption>, 20> lines = {{
        {6, MainCaption::LabeledEdit1},      {7, MainCaption::LabeledEdit2},
        {8, MainCaption::Button1},           {9, MainCaption::Button2},
        {10, MainCaption::Button3},          {11, MainCaption::Button5},
        {12, MainCaption::Button6},          {13, MainCaption::CheckBox1},
        {14, MainCaption::CheckBox2},        {15, MainCaption::CheckBox3},
        {16, MainCaption::CheckBox4},        {17, MainCaption::Label1},
        {18, MainCaption::Label2},           {19, MainCaption::Label3},
        {20, MainCaption::OpenDialogFilter}, {21, MainCaption::OpenDialogFilter},
        {22, MainCaption::OpenDialogTitle},  {93, MainCaption::CheckBox5},
        {100, MainCaption::CheckBox6},       {101, MainCaption::CheckBox7},
    }};
    for (const auto& [number, caption] : lines) {
        if (number == line) {
            control = caption;
            return true;
        }
    }
    return false;
}

std::string captionText(MainCaption control, const StringTable& table, MainWindowCaptions& window) {
    switch (control) {
    case MainCaption::LabeledEdit1:
        return table.LabeledEdit1Label;
    case MainCaption::LabeledEdit2:
        return table.LabeledEdit2Label;
    case MainCaption::Button1:
        return table.Button1Caption;
    case MainCaption::Button2:
        return table.Button2Caption;
    case MainCaption::Button3:
        return table.Button3Caption;
    case MainCaption::Button5:
        return table.Button5Caption;
    case MainCaption::Button6:
        return table.Button6Caption;
    case MainCaption::CheckBox1:
        return table.CheckBox1Caption;
    case MainCaption::CheckBox2:
        return table.CheckBox2Caption;
    case MainCaption::CheckBox3:
        return table.CheckBox3Caption;
    case MainCaption::CheckBox4:
        return table.CheckBox4Caption;
    case MainCaption::CheckBox5:
        return table.CheckBox5Caption;
    case MainCaption::CheckBox6:
        return table.CheckBox6Caption;
    case MainCaption::CheckBox7:
        return table.CheckBox7Caption;
    // The prefixes already end with their space; nothing goes between prefix and value.
    case MainCaption::Label1:
        return table.Label1Prefix + window.informationValue(control, table);
    case MainCaption::Label2:
        return table.Label2Prefix + window.informationValue(control, table);
    case MainCaption::Label3:
        return table.Label3Prefix + window.informationValue(control, table);
    case MainCaption::OpenDialogFilter:
        return table.OpenDialogFilter;
    case MainCaption::OpenDialogTitle:
        return table.OpenDialogTitle;
    }
    return {};
}

bool hasHelp(const std::string& programFolder, const std::string& language) {
    return isLanguageFolderName(language) &&
           platform::fileExists(programFolder + "/Language/" + language + "/Help/index.htm");
}

} // namespace

void showCaptions(const StringTable& table, MainWindowCaptions& window) {
    for (const MainCaption control : kAllCaptions)
        window.setCaption(control, captionText(control, table, window));
}

void LoadLanguage(StringTable& table, const std::string& programFolder, const std::string& name,
                  MainWindowCaptions& window) {
    loadLanguageFile(table, programFolder, name, [&](int line) {
        MainCaption control{};
        if (line == 0)
            showCaptions(table, window);
        else if (captionOfLine(line, control))
            window.setCaption(control, captionText(control, table, window));
    });
    window.setHelpHint(helpLanguage(programFolder, table.CurrentLanguage));
}

std::string helpLanguage(const std::string& programFolder, const std::string& currentLanguage) {
    if (currentLanguage == russian)
        return russian;
    if (hasHelp(programFolder, currentLanguage))
        return currentLanguage;
    if (hasHelp(programFolder, english))
        return english;
    return russian;
}

} // namespace tw::i18n
