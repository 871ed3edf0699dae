#include "i18n/LoadLanguage.h"

#include "i18n/LanguageFile.h"
#include "platform/FileSystem.h"

#include <array>
#include <utility>

namespace tw::i18n {

namespace {

const std::string russian = "Russian";
const std::string english = "English";

constexpr std::array<MainCaption, 20> kAllCaptions = {MainCaption::PlaylistLabel,
                                                      MainCaption::DestinationLabel,
                                                      MainCaption::ChoosePlaylist,
                                                      MainCaption::ChooseDestination,
                                                      MainCaption::About,
                                                      MainCaption::StartCopy,
                                                      MainCaption::Exit,
                                                      MainCaption::KeepStructure,
                                                      MainCaption::Transliterate,
                                                      MainCaption::OnlyMp3,
                                                      MainCaption::AsManyAsFit,
                                                      MainCaption::ListCount,
                                                      MainCaption::ListSize,
                                                      MainCaption::FreeSpace,
                                                      MainCaption::PlaylistFilter,
                                                      MainCaption::PlaylistDialogTitle,
                                                      MainCaption::CheckNewVersion,
                                                      MainCaption::WritePlaylist,
                                                      MainCaption::SkipSame,
                                                      MainCaption::Number};

// The caption that a language-file line sets, if any.
bool captionOfLine(int line, MainCaption& control) {
    static constexpr std::array<std::pair<int, MainCaption>, 21> lines = {{
        {6, MainCaption::PlaylistLabel},
        {7, MainCaption::DestinationLabel},
        {8, MainCaption::ChoosePlaylist},
        {9, MainCaption::ChooseDestination},
        {10, MainCaption::About},
        {11, MainCaption::StartCopy},
        {12, MainCaption::Exit},
        {13, MainCaption::KeepStructure},
        {14, MainCaption::Transliterate},
        {15, MainCaption::OnlyMp3},
        {16, MainCaption::AsManyAsFit},
        {17, MainCaption::ListCount},
        {18, MainCaption::ListSize},
        {19, MainCaption::FreeSpace},
        {20, MainCaption::PlaylistFilter},
        {21, MainCaption::PlaylistFilter},
        {22, MainCaption::PlaylistDialogTitle},
        {93, MainCaption::CheckNewVersion},
        {100, MainCaption::WritePlaylist},
        {101, MainCaption::SkipSame},
        {114, MainCaption::Number},
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
    case MainCaption::PlaylistLabel:
        return table.playlistLabel;
    case MainCaption::DestinationLabel:
        return table.destinationLabel;
    case MainCaption::ChoosePlaylist:
        return table.choosePlaylistButton;
    case MainCaption::ChooseDestination:
        return table.chooseDestinationButton;
    case MainCaption::About:
        return table.aboutButton;
    case MainCaption::StartCopy:
        return table.startCopyButton;
    case MainCaption::Exit:
        return table.exitButton;
    case MainCaption::KeepStructure:
        return table.keepStructureOption;
    case MainCaption::Transliterate:
        return table.transliterateOption;
    case MainCaption::OnlyMp3:
        return table.onlyMp3Option;
    case MainCaption::AsManyAsFit:
        return table.asManyAsFitOption;
    case MainCaption::CheckNewVersion:
        return table.checkNewVersionOption;
    case MainCaption::WritePlaylist:
        return table.writePlaylistOption;
    case MainCaption::SkipSame:
        return table.skipSameOption;
    case MainCaption::Number:
        return table.numberOption;
    // The prefixes already end with their space; nothing goes between prefix and value.
    case MainCaption::ListCount:
        return table.listCountPrefix + window.informationValue(control, table);
    case MainCaption::ListSize:
        return table.listSizePrefix + window.informationValue(control, table);
    case MainCaption::FreeSpace:
        return table.freeSpacePrefix + window.informationValue(control, table);
    case MainCaption::PlaylistFilter:
        return table.playlistFilter;
    case MainCaption::PlaylistDialogTitle:
        return table.playlistDialogTitle;
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

void loadLanguage(StringTable& table, const std::string& programFolder, const std::string& name,
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
