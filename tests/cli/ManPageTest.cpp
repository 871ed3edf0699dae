#include "cli/ManPage.h"
#include "cli/ArgumentParser.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

// Every "--name" that a text mentions, with man page hyphens (\-) read back as "-".
std::set<std::string> optionNames(std::string text) {
    for (std::string::size_type at; (at = text.find("\\-")) != std::string::npos;) {
        text.replace(at, 2, "-");
    }
    std::set<std::string> names;
    const std::regex option("--[a-z][a-z0-9-]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it) {
        names.insert(it->str());
    }
    return names;
}

// The OPTIONS section alone, so examples or prose cannot stand in for a missing item.
std::string optionsSection(const std::string& page) {
    const auto from = page.find(".SH OPTIONS\n");
    const auto to = page.find(".SH ", from + 1);
    return page.substr(from, to - from);
}

std::size_t linesStartingWith(const std::string& text, const std::string& start) {
    std::size_t n = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        n += line.starts_with(start) ? 1 : 0;
    }
    return n;
}

TEST(ManPage, OptionsSectionNamesExactlyTheOptionsThatHelpPrints) {
    const std::string usage = tw::cli::usageText();
    const std::string page = tw::cli::manPage(usage, tw::cli::versionText());
    ASSERT_NE(page.find(".SH OPTIONS\n"), std::string::npos);
    EXPECT_EQ(optionNames(optionsSection(page)), optionNames(usage));
    // One item per option line of --help: a wrapped description is not taken for an option.
    EXPECT_EQ(linesStartingWith(optionsSection(page), ".TP"), linesStartingWith(usage, "  --"));
}

TEST(ManPage, WrappedDescriptionsJoinAndTextCannotBecomeARequest) {
    const std::string usage = "tool [OPTIONS] A B\n"
                              "  --alpha=MODE   first line\n"
                              "                 .second line with C:\\path\n"
                              "  --beta\n"
                              "  --gamma        'quoted\n";
    const auto options = tw::cli::usageOptions(usage);
    ASSERT_EQ(options.size(), 3u);
    EXPECT_EQ(options[0].names, "--alpha=MODE");
    EXPECT_EQ(options[0].description, "first line .second line with C:\\path");
    EXPECT_EQ(options[1].description, "");

    // The version text ends with a line break, as --version prints it: the title stays one line.
    const std::string page = tw::cli::manPage(usage, "Tool 1.0\n");
    EXPECT_TRUE(page.starts_with(".TH TUNEWAGON\\-COPY 1 \"\" \"Tool 1.0\" \"User Commands\"\n"));
    EXPECT_NE(page.find(".B \\-\\-alpha=MODE\nfirst line .second line with C:\\epath\n"),
              std::string::npos);
    EXPECT_NE(page.find(".B \\-\\-gamma\n\\&'quoted\n"), std::string::npos);
    EXPECT_EQ(linesStartingWith(page, "'"), 0u);
}

} // namespace
