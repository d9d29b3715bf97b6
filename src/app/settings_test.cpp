#include "app/settings.h"

#include <gmock/gmock.h>

#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::ElementsAre;
using ::testing::Key;

using SettingsTest = testing::PelluxTest;

std::string file_with(const std::string& steam, const std::string& music, const std::string& items) {
    return "# PELLUX MOD MANAGER v0.8.0 CONFIG\n"
           "\n"
           "# 'steam_path' is the location of your MVCC installation\n"
           "# Example: steam_path=C:\\Program Files (x86)\\Steam\\steamapps\\common\\MVCC\n"
           "steam_path=" + steam + "\n"
           "\n"
           "# 'music_path' is the location where your music files are located\n"
           "# Example: music_path=C:\\Music\n"
           "music_path=" + music + "\n"
           "\n"
           "# The maximum number of items that will be displayed per page in the menus\n"
           "# Default: 20 / Minimum Value: 5\n"
           "# Example: num_menu_items=40\n"
           "num_menu_items=" + items + "\n"
           "\n";
}

// The file is written in text mode: CR LF on Windows, LF elsewhere.
std::string without_carriage_returns(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST_F(SettingsTest, MissingFileGivesDefaultsAndIsCreated) {
    const auto setting_specs = make_setting_specs();
    ::testing::internal::CaptureStderr();
    const auto values = read_settings_file("config.ini", setting_specs);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: Could not open config file: config.ini\n");
    EXPECT_EQ(values, (std::map<std::string, std::string>{{"music_path", ""}, {"num_menu_items", "20"}, {"steam_path", ""}}));

    write_settings_file("config.ini", values, setting_specs);
    EXPECT_EQ(without_carriage_returns(read_file("config.ini")), file_with("", "", "20"));
}

TEST_F(SettingsTest, LinesAreReadByTheirRules) {
    struct Case {
        const char* name;
        std::string content;
        const char* key;
        std::string value;
    };
    const Case cases[] = {
        {"blanks around key, equals and value", "   music_path   =   C:\\My Music   \n", "music_path", "C:\\My Music"},
        {"value keeps later equals signs", "steam_path=a=b=c\n", "steam_path", "a=b=c"},
        {"trailing tab is kept", "music_path=x\t\n", "music_path", "x\t"},
        {"commented setting is skipped", "#music_path=x\n", "music_path", ""},
        {"indented comment is skipped", "   # num_menu_items=50\n", "num_menu_items", "20"},
        {"key without equals is skipped", "steam_path\n", "steam_path", ""},
        {"other capitals are another key", "Music_Path=x\n", "music_path", ""},
        {"last of two wins", "num_menu_items=30\nnum_menu_items=40\n", "num_menu_items", "40"},
        {"empty value stays empty", "num_menu_items=\n", "num_menu_items", ""},
        {"windows line ends", "steam_path=D:\\Games\r\nnum_menu_items=40\r\n", "steam_path", "D:\\Games"},
        {"last line without line end", "num_menu_items=55", "num_menu_items", "55"},
    };
    const auto setting_specs = make_setting_specs();
    for (const auto& c : cases) {
        write_file("config.ini", c.content);
        const auto values = read_settings_file("config.ini", setting_specs);
        EXPECT_THAT(values, ElementsAre(Key("music_path"), Key("num_menu_items"), Key("steam_path"))) << c.name;
        EXPECT_EQ(values.at(c.key), c.value) << c.name;
    }
}

TEST_F(SettingsTest, RewriteKeepsOnlyKnownKeysWithoutBlanks) {
    write_file("config.ini",
               "# my own note\r\n"
               "other=1\r\n"
               "#steam_path=C:\\old\r\n"
               "  music_path =  C:\\Music \r\n");
    const auto setting_specs = make_setting_specs();
    const auto values = read_settings_file("config.ini", setting_specs);
    write_settings_file("config.ini", values, setting_specs);
    EXPECT_EQ(without_carriage_returns(read_file("config.ini")), file_with("", "C:\\Music", "20"));
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndLeftAlone) {
    write_file("config.ini\\keep.txt", "x");  // a folder where the file should be
    const auto setting_specs = make_setting_specs();
    ::testing::internal::CaptureStderr();
    const auto values = read_settings_file("config.ini", setting_specs);
    write_settings_file("config.ini", values, setting_specs);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: Could not open config file: config.ini\nError opening file: config.ini\n");
    EXPECT_EQ(read_file("config.ini\\keep.txt"), "x");
}

}  // namespace
}  // namespace pellux
