#include "platform/steam_records.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_env.h"

namespace pellux::platform {
namespace {

using SteamRecordsTest = testing::PelluxTest;

TEST_F(SteamRecordsTest, ReadsNestedBlocksCommentsAndEscapes) {
    const std::string text =
        "// written by Steam\n"
        "\"AppState\"\n"
        "{\n"
        "\t\"appid\"\t\t\"2634890\" // trailing note\n"
        "\t\"installdir\"\t\t\"MARVEL vs. CAPCOM Fighting Collection\"\n"
        "\t\"path\"\t\"C:\\\\Games\\\\Steam\" \"quote\" \"say \\\"hi\\\"\"\n"
        "\tUserConfig { language english }\n"
        "\t\"url\" \"http://example.invalid/a\"\n"
        "}\n";
    VdfNode root;
    ASSERT_TRUE(parse_vdf(text, root));
    const VdfNode* state = vdf_child(root, "appstate");
    ASSERT_NE(state, nullptr);
    ASSERT_TRUE(state->is_block);
    EXPECT_EQ(vdf_child(*state, "INSTALLDIR")->value, "MARVEL vs. CAPCOM Fighting Collection");
    EXPECT_EQ(vdf_child(*state, "appid")->value, "2634890");
    EXPECT_EQ(vdf_child(*state, "path")->value, "C:\\Games\\Steam");
    EXPECT_EQ(vdf_child(*state, "quote")->value, "say \"hi\"");
    // A "//" inside a quoted text is part of the text.
    EXPECT_EQ(vdf_child(*state, "url")->value, "http://example.invalid/a");
    const VdfNode* config = vdf_child(*state, "userconfig");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(vdf_child(*config, "language")->value, "english");
    EXPECT_EQ(vdf_child(*state, "missing"), nullptr);
}

TEST_F(SteamRecordsTest, RefusesTextsThatAreNotWellFormed) {
    const char* const broken[] = {
        "\"AppState\" { \"installdir\" \"x\"",       // block never closed
        "\"AppState\" { \"installdir\" \"x }",       // quote never closed
        "\"a\" \"b\" }",                             // stray closing brace
        "\"AppState\" { \"installdir\" }",           // key without value
        "\"lonely\"",                                // key at the end of the text
    };
    for (const char* text : broken) {
        VdfNode root;
        EXPECT_FALSE(parse_vdf(text, root)) << text;
    }
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "\"k\" { ";
    VdfNode root;
    EXPECT_FALSE(parse_vdf(deep, root));
    EXPECT_TRUE(parse_vdf("", root));
    EXPECT_TRUE(root.children.empty());
}

TEST_F(SteamRecordsTest, ListsLibrariesOfBothListFormats) {
    struct ListCase {
        const char* name;
        std::string vdf;
    };
    const ListCase cases[] = {
        {"current",
         "\"libraryfolders\"\n{\n"
         "\t\"contentstatsid\"\t\"-123\"\n"
         "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/root/steam\"\n\t\t\"apps\" { \"228980\" \"1\" }\n\t}\n"
         "\t\"1\"\n\t{\n\t\t\"PATH\"\t\t\"/mnt/games\"\n\t}\n}\n"},
        {"old",
         "\"LibraryFolders\"\n{\n"
         "\t\"TimeNextStatsReport\"\t\t\"1690000000\"\n"
         "\t\"ContentStatsID\"\t\t\"-123\"\n"
         "\t\"1\"\t\t\"/root/steam\"\n"
         "\t\"2\"\t\t\"/mnt/games\"\n}\n"},
    };
    for (const auto& c : cases) {
        write_file("root\\steamapps\\libraryfolders.vdf", c.vdf);
        const std::string root = (work_dir / "root").string();
        EXPECT_EQ(steam_libraries(root), (std::vector<std::string>{root, "/root/steam", "/mnt/games"})) << c.name;
    }
    write_file("root\\steamapps\\libraryfolders.vdf", "\"libraryfolders\" { \"0\" { ");
    EXPECT_EQ(steam_libraries((work_dir / "root").string()), std::vector<std::string>{(work_dir / "root").string()});
}

}  // namespace
}  // namespace pellux::platform
