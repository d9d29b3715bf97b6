#include "app/main_menu.h"

#include <gmock/gmock.h>

#include <iostream>

#include "app/globals.h"
#include "console/colors.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
namespace keys = testing::keys;

class MainMenuTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        answer_every_command();
    }

    static std::vector<std::string> labels() {
        std::vector<std::string> result;
        for (const auto& entry : main_menu_entries()) result.push_back(entry.label);
        return result;
    }
    static std::vector<std::string> menu_keys() {
        std::vector<std::string> result;
        for (const auto& entry : main_menu_entries()) result.push_back(entry.key);
        return result;
    }
};

TEST_F(MainMenuTest, WithoutGameOrFfmpeg) {
    EXPECT_THAT(main_menu_title_lines(),
                ElementsAre("PELLUX MOD MANAGER v0.8.0", "", "[UNABLE TO DETECT STEAM PATH]",
                            "Many Program options are not displayed", "You may update the config.ini to set it manually"));
    EXPECT_THAT(labels(), ElementsAre("ARC FUNCTIONS", "Extract Backup ARC Files", "Rebuild ARC File", "MUSIC FUNCTIONS",
                                      "Convert Music For Game [FFMPEG MISSING]", "MOD FUNCTIONS", "Manage Mods",
                                      "Create Mod File", "", "[QUIT]"));
    EXPECT_THAT(menu_keys(), ElementsAre("", "extract_backup", "rebuild", "", "convert_mp3", "", "mod_menu",
                                         "create_mod", "", "quit"));
}

TEST_F(MainMenuTest, WithGameFfmpegAndNoBackups) {
    game_found = true;
    ffmpeg_found = true;
    console_colors.foreground = 15;
    console_colors.background = 4;
    write_file("my music\\song.mp3", "");
    settings["music_path"] = "my music";
    EXPECT_THAT(main_menu_title_lines(), ElementsAre("PELLUX MOD MANAGER v0.8.0"));
    EXPECT_THAT(labels(),
                ElementsAreArray(std::vector<std::string>{
                    "ARC FUNCTIONS", "Extract Steam ARC File", "Extract Backup ARC Files", "Rebuild ARC File",
                    "MUSIC FUNCTIONS", "Convert Music For Game [music\\]", "Convert Music For Game [User Music]",
                    "Convert DC Mix [music\\]", "Copy Already Converted Music To Steam", "Copy Random Music To Steam",
                    "MOD FUNCTIONS", "Manage Mods", "Create Mod File", "OTHER FUNCTIONS",
                    "Create Backup Files \x1b[97;101m[NO BACKUPS FOUND]\x1b[97;44m", "Run Game", "", "[QUIT]"}));
    EXPECT_THAT(menu_keys(), ElementsAreArray(std::vector<std::string>{
                                 "", "extract_steam", "extract_backup", "rebuild", "", "convert_mp3",
                                 "convert_mp3_user", "convert_dc_adx", "copy_ogg", "random_oggs", "", "mod_menu",
                                 "create_mod", "", "create_backup", "run_game", "", "quit"}));
}

TEST_F(MainMenuTest, BackupEntriesFollowBackupSetsOnDisk) {
    game_found = true;
    ffmpeg_found = true;
    for (const char* music_path : {"", "missing folder"}) {
        settings["music_path"] = music_path;
        EXPECT_THAT(menu_keys(), ::testing::Not(Contains("convert_mp3_user"))) << music_path;
    }
    write_file("backups\\set one\\arc\\a.arc", "");
    const auto keys_now = menu_keys();
    const std::vector<std::string> tail(keys_now.end() - 7, keys_now.end());
    EXPECT_THAT(tail, ElementsAre("", "create_backup", "restore_backup", "remove_backup", "run_game", "", "quit"));
    EXPECT_THAT(labels(), Contains("Create Steam Backup"));
    EXPECT_THAT(labels(), Contains("Restore Steam Backup"));
    EXPECT_THAT(labels(), Contains("Delete Steam Backup"));
}

TEST_F(MainMenuTest, RunGameStartsTheGameAndKeepsTheCursor) {
    game_found = true;
    game_folder = "C:\\Steam Games\\MVCC";
    write_file(game_folder + "\\" + game_exe, "MZ");
    // End lands on [QUIT]; Up skips the blank line onto Run Game. The last key ends the "DONE" wait.
    set_keys(keys::end + keys::up + keys::enter + "x");
    ::testing::internal::CaptureStdout();
    main_menu();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(commands_ran(), Contains("call \"C:\\Steam Games\\MVCC\\MarvelVsCapcomFightingCollection.exe\""));
    EXPECT_THAT(out, HasSubstr(" ... STARTING MarvelVsCapcomFightingCollection.exe ..."));
    const auto entries = main_menu_entries();
    ASSERT_LT(main_menu_index, static_cast<int>(entries.size()));
    EXPECT_EQ(entries[main_menu_index].key, "run_game");
}

// Each entry leads to its dialogue, and an operation not built yet returns to the menu.
TEST_F(MainMenuTest, EntriesRunTheirDialogues) {
    struct Case {
        int downs;
        const char* key;
        const char* shown;
    };
    const Case cases[] = {{0, "extract_backup", "No backup folders found in:"},
                          {1, "rebuild", "No folders found in extract\\"},
                          {2, "convert_mp3", "Unable to locate the FFMPEG.exe in the tools folder"},
                          {3, "mod_menu", ""}};
    for (const auto& c : cases) {
        std::string script;
        for (int i = 0; i < c.downs; ++i) script += keys::down;
        set_keys(script + keys::enter);
        ::testing::internal::CaptureStdout();
        main_menu();
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_THAT(out, HasSubstr(c.shown)) << c.key;
        EXPECT_EQ(main_menu_entries()[main_menu_index].key, c.key);
        main_menu_index = 0;
    }
}

using MainMenuDeathTest = MainMenuTest;

TEST_F(MainMenuDeathTest, QuitAndEscapeEndThroughTheBanner) {
    for (const std::string& key_bytes : {keys::end + keys::enter, keys::escape, keys::backspace}) {
        EXPECT_EXIT(
            {
                std::cout.rdbuf(std::cerr.rdbuf());
                set_keys(key_bytes);
                main_menu();
            },
            ::testing::ExitedWithCode(1),
            ::testing::AllOf(HasSubstr("[QUIT]"), HasSubstr("PELLUX MOD MANAGER v0.8.0"),
                             HasSubstr("Made by the Pellux developers")));
    }
}

}  // namespace
}  // namespace pellux
