#include "i18n/LoadLanguage.h"

#include "platform/FileError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tw::i18n {
namespace {

using tw::test::TempFolder;

// The main window as the loader sees it: what each control shows, and in which order the
// captions arrived.
struct RecordingWindow : MainWindowCaptions {
    std::string countText;       // the list-count label's value
    std::int64_t listSizeKB = 0; // the list-size label's value; the free space stays 0
    std::map<MainCaption, std::string> shown;
    std::vector<std::pair<MainCaption, std::string>> log;
    std::optional<std::string> hint;

    std::string informationValue(MainCaption label, const StringTable& table) override {
        if (label == MainCaption::ListCount)
            return countText;
        const std::int64_t kb = label == MainCaption::ListSize ? listSizeKB : 0;
        return kb == 0 ? std::string() : std::to_string(kb) + " " + table.StrKB;
    }
    void setCaption(MainCaption control, const std::string& text) override {
        shown[control] = text;
        log.emplace_back(control, text);
    }
    void setHelpHint(const std::string& text) override { hint = text; }
};

std::string numberedFile(int last) {
    std::string bytes = "Testish\r\nTunewagon\r\n";
    for (int n = 3; n <= last; ++n)
        bytes += "entry " + std::to_string(n) + "\r\n";
    return bytes;
}

TEST(LoadLanguage, FileRecaptionsEachControlAsItsLineIsRead) {
    TempFolder folder;
    std::string file = numberedFile(99);
    file.replace(file.find("entry 3\r\n"), 7, "kB"); // the unit the size labels then use
    tw::test::writeFile(folder / "Language/Test/Test.txt", file);
    RecordingWindow window;
    window.countText = "7";
    window.listSizeKB = 12;
    StringTable table;
    loadLanguage(table, folder.path(), "Test", window);

    EXPECT_EQ(window.shown[MainCaption::PlaylistLabel], "entry 6");
    EXPECT_EQ(window.shown[MainCaption::Exit], "entry 12");
    EXPECT_EQ(window.shown[MainCaption::AsManyAsFit], "entry 16");
    EXPECT_EQ(window.shown[MainCaption::CheckNewVersion], "entry 93");
    EXPECT_EQ(window.shown[MainCaption::PlaylistDialogTitle], "entry 22");
    // The file's prefixes get one space; the values follow with nothing between.
    EXPECT_EQ(window.shown[MainCaption::ListCount], "entry 17 7");
    EXPECT_EQ(window.shown[MainCaption::ListSize], "entry 18 12 kB");
    EXPECT_EQ(window.shown[MainCaption::FreeSpace], "entry 19 ");
    EXPECT_EQ(window.shown[MainCaption::PlaylistFilter], "entry 20|*.m3u;*.pls|entry 21|*.*");
    EXPECT_EQ(window.shown.size(), 20u);
    // A file from before lines 100, 101 and 114 leaves their captions built in.
    EXPECT_EQ(window.shown[MainCaption::WritePlaylist], StringTable{}.writePlaylistOption);
    EXPECT_EQ(window.shown[MainCaption::Number], StringTable{}.numberOption);

    // First the built-in captions, then each file line in file order: the filter is seen
    // as line 20 alone before line 21 extends it.
    ASSERT_EQ(window.log.size(), 20u + 18u);
    EXPECT_EQ(window.log[0].second, "Список для копирования");
    EXPECT_EQ(window.log[20], std::make_pair(MainCaption::PlaylistLabel, std::string("entry 6")));
    EXPECT_EQ(window.log[34], std::make_pair(MainCaption::PlaylistFilter, std::string("entry 20")));
    EXPECT_EQ(window.log.back().first, MainCaption::CheckNewVersion);
    // No help of its own, no English help: the Russian help.
    EXPECT_EQ(window.hint, "Russian");
}

TEST(LoadLanguage, MissingFileBringsBackBuiltInCaptionsAndPicksTheHelpByName) {
    TempFolder folder;
    tw::test::writeFile(folder / "Language/Test/Test.txt", numberedFile(99));
    tw::test::writeFile(folder / "Language/English/Help/index.htm", "<html></html>");
    RecordingWindow window;
    StringTable table;
    loadLanguage(table, folder.path(), "Test", window);
    ASSERT_EQ(window.shown[MainCaption::ChoosePlaylist], "entry 8");
    EXPECT_EQ(window.hint, "English");

    loadLanguage(table, folder.path(), "Klingon", window);
    EXPECT_EQ(table.CurrentLanguage, "Klingon");
    EXPECT_EQ(window.shown[MainCaption::ChoosePlaylist], "Выбрать...");
    // With no scan done, the labels show their bare built-in prefixes.
    EXPECT_EQ(window.shown[MainCaption::ListCount], "Количество файлов в списке: ");
    EXPECT_EQ(window.shown[MainCaption::ListSize], "Занимаемое место на диске: ");
    EXPECT_EQ(window.shown[MainCaption::PlaylistFilter],
              "M3U и PLS плэйлисты|*.m3u;*.pls|Вcе файлы|*.*");
    EXPECT_EQ(window.hint, "English");

    tw::test::writeFile(folder / "Language/Test/Help/index.htm", "<html></html>");
    loadLanguage(table, folder.path(), "Test", window);
    EXPECT_EQ(window.hint, "Test");
    loadLanguage(table, folder.path(), "Russian", window);
    EXPECT_EQ(window.hint, "Russian");
    EXPECT_EQ(window.shown[MainCaption::CheckNewVersion],
              "Проверять наличие новой версии при запуске программы");
}

TEST(LoadLanguage, UnreadableFileLeavesBuiltInCaptionsAndTheOldHint) {
    TempFolder folder;
    tw::test::writeFile(folder / "Language/Test/Test.txt", numberedFile(99));
    RecordingWindow window;
    StringTable table;
    loadLanguage(table, folder.path(), "Test", window);
    ASSERT_EQ(window.hint, "Russian");
    window.hint = "untouched";

    // A file that opens but whose first read fails, whatever the rights of the reader.
    std::filesystem::create_directories(folder / "Language/Broken");
    std::filesystem::create_symlink("/proc/self/mem", folder / "Language/Broken/Broken.txt");
    EXPECT_THROW(loadLanguage(table, folder.path(), "Broken", window), platform::FileError);
    EXPECT_EQ(table.CurrentLanguage, "Broken");
    EXPECT_EQ(window.shown[MainCaption::ChoosePlaylist], "Выбрать...");
    EXPECT_EQ(window.hint, "untouched");
}

} // namespace
} // namespace tw::i18n
