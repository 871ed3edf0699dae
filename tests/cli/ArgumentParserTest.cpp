#include "cli/ArgumentParser.h"

#include <gtest/gtest.h>

namespace {

using tw::cli::CollisionMode;
using tw::cli::parseArguments;
using Action = tw::cli::ParsedArguments::Action;

TEST(ArgumentParser, PlainRunKeepsTheWindowDefaults) {
    const auto p = parseArguments({"list.m3u", "/out"});
    ASSERT_EQ(p.action, Action::Run);
    EXPECT_EQ(p.options.playlists, std::vector<std::string>{"list.m3u"});
    EXPECT_EQ(p.options.destination, "/out");
    EXPECT_TRUE(p.options.copy.keepStructure);
    EXPECT_FALSE(p.options.copy.transliterate);
    EXPECT_FALSE(p.options.copy.onlyMp3);
    EXPECT_FALSE(p.options.copy.asManyAsFit);
    EXPECT_FALSE(p.options.copy.number);
    EXPECT_FALSE(p.options.quiet);
    EXPECT_FALSE(p.options.onCollision.has_value()) << "the default depends on the terminal";
    EXPECT_FALSE(p.options.language.has_value());
}

TEST(ArgumentParser, EveryOptionSetsOnlyItsOwnField) {
    const auto p = parseArguments({"--flat", "--translit", "--only-mp3", "--as-many-as-fit",
                                   "--number", "--quiet", "--language=English", "a.pls", "dest"});
    ASSERT_EQ(p.action, Action::Run);
    EXPECT_FALSE(p.options.copy.keepStructure);
    EXPECT_TRUE(p.options.copy.transliterate);
    EXPECT_TRUE(p.options.copy.onlyMp3);
    EXPECT_TRUE(p.options.copy.asManyAsFit);
    EXPECT_TRUE(p.options.copy.number);
    EXPECT_FALSE(p.options.copy.skipSame || p.options.copy.writePlaylist);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_EQ(p.options.language, "English");
    EXPECT_EQ(p.options.playlists, std::vector<std::string>{"a.pls"});

    const auto one = parseArguments({"a", "--only-mp3", "b"}); // options between operands
    ASSERT_EQ(one.action, Action::Run);
    EXPECT_TRUE(one.options.copy.onlyMp3);
    EXPECT_FALSE(one.options.copy.number);
    EXPECT_TRUE(one.options.copy.keepStructure);
    EXPECT_EQ(one.options.destination, "b");
}

TEST(ArgumentParser, EachCollisionModeIsRecognised) {
    const std::pair<const char*, CollisionMode> modes[] = {
        {"ask", CollisionMode::Ask},
        {"replace", CollisionMode::Replace},
        {"skip", CollisionMode::Skip},
        {"auto-rename", CollisionMode::AutoRename}};
    for (const auto& [text, mode] : modes) {
        const auto p = parseArguments({std::string("--on-collision=") + text, "a", "b"});
        ASSERT_EQ(p.action, Action::Run) << text;
        EXPECT_EQ(p.options.onCollision, mode) << text;
    }
}

TEST(ArgumentParser, BadArgumentsAreErrorsWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"only-one"},
        {"--unknown", "a", "b"},
        {"-q", "a", "b"},
        {"--on-collision=overwrite", "a", "b"},
        {"--on-collision=", "a", "b"},
        {"--on-collision", "a", "b"},
        {"--on-collision=Skip", "a", "b"},
        {"--language=", "a", "b"},
        {"--language=../x", "a", "b"},
        {"--flat=yes", "a", "b"},
        {"", "b"},
        {"a", "", "b"},
        {"-", "b.m3u", "-", "out"},                    // standard input is read once
        {"--write-playlist=car.m3u", "a", "b", "out"}, // one name for two playlists
    };
    for (const auto& args : bad) {
        const auto p = parseArguments(args);
        EXPECT_EQ(p.action, Action::Error) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(p.problem.empty());
    }
}

TEST(ArgumentParser, DoubleDashLetsOperandsStartWithADash) {
    const auto p = parseArguments({"--flat", "--", "-list.m3u", "--out"});
    ASSERT_EQ(p.action, Action::Run);
    EXPECT_FALSE(p.options.copy.keepStructure);
    EXPECT_EQ(p.options.playlists, std::vector<std::string>{"-list.m3u"});
    EXPECT_EQ(p.options.destination, "--out");
    EXPECT_EQ(parseArguments({"-", "out"}).options.playlists, std::vector<std::string>{"-"});
}

TEST(ArgumentParser, HelpAndVersionNeedNoOperandsButStillRejectUnknownOptions) {
    EXPECT_EQ(parseArguments({"--help"}).action, Action::Help);
    EXPECT_EQ(parseArguments({"--version"}).action, Action::Version);
    EXPECT_EQ(parseArguments({"a", "--help", "b", "c"}).action, Action::Help);
    EXPECT_EQ(parseArguments({"--help", "--nope"}).action, Action::Error);
    EXPECT_EQ(tw::cli::versionText(), "Tunewagon 1.1.0.lang\n");
    EXPECT_EQ(tw::cli::usageText().rfind("tunewagon-copy [OPTIONS] PLAYLIST... DESTINATION\n", 0),
              0u);
}

TEST(ArgumentParser, EveryOperandButTheLastIsAPlaylistInTheOrderGiven) {
    const auto p = parseArguments({"b.m3u", "--flat", "a.pls", "-", "c.xspf", "/media/stick"});
    ASSERT_EQ(p.action, Action::Run) << p.problem;
    EXPECT_EQ(p.options.playlists, (std::vector<std::string>{"b.m3u", "a.pls", "-", "c.xspf"}));
    EXPECT_EQ(p.options.destination, "/media/stick");
    const auto named = parseArguments({"--write-playlist", "a.m3u", "b.m3u", "out"});
    ASSERT_EQ(named.action, Action::Run) << "each list's playlist is named after it";
    EXPECT_TRUE(named.options.copy.writePlaylist);
}

} // namespace
