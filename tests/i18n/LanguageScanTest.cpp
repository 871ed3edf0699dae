#include "i18n/LanguageScan.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tw::i18n {
namespace {

using tw::test::TempFolder;

void writeLanguage(const TempFolder& folder, const std::string& name, const std::string& bytes) {
    tw::test::writeFile(folder / ("Language/" + name + "/" + name + ".txt"), bytes);
}

TEST(LanguageScan, ListsMarkedFoldersByNameAndSkipsEverythingElse) {
    TempFolder folder;
    writeLanguage(folder, "English", "English\r\nTunewagon\r\nKB\r\n");
    writeLanguage(folder, "deutsch", "Deutsch\nTunewagon\n");
    writeLanguage(folder, "Ukr", "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0\r\nTunewagon\r\n");
    writeLanguage(folder, "Lower", "Lower\r\ntunewagon\r\n");     // marker in the wrong case
    writeLanguage(folder, "Spaced", "Spaced\r\nTunewagon \r\n");  // marker with a space
    writeLanguage(folder, "Header", "Header only\r\n");           // no second line
    writeLanguage(folder, "1st", "First\r\nTunewagon\r\n");       // not an identifier
    writeLanguage(folder, "my-lang", "Mine\r\nTunewagon\r\n");    // not an identifier
    writeLanguage(folder, "Russian", "Русский\r\nTunewagon\r\n"); // the built-in one
    std::filesystem::create_directories(folder / "Language/Empty");
    tw::test::writeFile(folder / "Language/Other/Wrong.txt", "Other\r\nTunewagon\r\n");
    tw::test::writeFile(folder / "Language/Loose", "Loose\r\nTunewagon\r\n");
    std::filesystem::create_directories(folder / "Language/Folder/Folder.txt");

    const std::vector<LanguageEntry> expected = {
        {"deutsch", "Deutsch"}, {"English", "English"}, {"Ukr", "Українська"}};
    EXPECT_EQ(scanLanguages(folder.path()), expected);
    EXPECT_EQ(expected[1].displayName(), "English [English]");
}

TEST(LanguageScan, MissingLanguageFolderListsNothing) {
    TempFolder folder;
    EXPECT_TRUE(scanLanguages(folder.path()).empty());
    EXPECT_TRUE(scanLanguages(folder / "nowhere").empty());
}

TEST(LanguageScan, LocaleChoosesRussianForRuAndEnglishOtherwiseWhenInstalled) {
    const std::vector<LanguageEntry> withEnglish = {{"Deutsch", "Deutsch"}, {"English", "English"}};
    const std::vector<LanguageEntry> withoutEnglish = {{"Deutsch", "Deutsch"}};
    for (const std::string locale : {"ru_RU.UTF-8", "ru", "ru_UA.KOI8-U"})
        EXPECT_EQ(preferredLanguage(locale, withEnglish), "Russian") << locale;
    for (const std::string locale : {"en_GB.UTF-8", "de_DE", "C", "POSIX", "", "uk_UA"}) {
        EXPECT_EQ(preferredLanguage(locale, withEnglish), "English") << locale;
        EXPECT_EQ(preferredLanguage(locale, withoutEnglish), "Russian") << locale;
    }
}

} // namespace
} // namespace tw::i18n
