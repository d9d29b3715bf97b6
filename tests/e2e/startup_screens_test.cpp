// The real binary with its keys piped in: what a user sees at start-up, and the ways it ends.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "support/test_env.h"

namespace pellux::e2e {
namespace {

using pellux::testing::PelluxTest;
namespace keys = pellux::testing::keys;

const std::string kTitle = "PELLUX MOD MANAGER v0.8.0";
const std::string kHighlight = "\x1b[34;103m";
const std::string kBrightWhiteOnGreen = "\x1b[97;42m";
const std::string kBrightWhiteOnBlue = "\x1b[97;44m";

std::string config_ini(const std::string& steam_path, const std::string& music_path, const std::string& page_size) {
    return "# " + kTitle + " CONFIG\n"
           "\n"
           "# 'steam_path' is the location of your MVCC installation\n"
           "# Example: steam_path=C:\\Program Files (x86)\\Steam\\steamapps\\common\\MVCC\n"
           "steam_path=" + steam_path + "\n"
           "\n"
           "# 'music_path' is the location where your music files are located\n"
           "# Example: music_path=C:\\Music\n"
           "music_path=" + music_path + "\n"
           "\n"
           "# The maximum number of items that will be displayed per page in the menus\n"
           "# Default: 20 / Minimum Value: 5\n"
           "# Example: num_menu_items=40\n"
           "num_menu_items=" + page_size + "\n"
           "\n";
}

const std::vector<std::string> kNoGameTitle = {kTitle, "", "[UNABLE TO DETECT STEAM PATH]",
                                               "Many Program options are not displayed",
                                               "You may update the config.ini to set it manually"};

// The main menu without the game, with the row `highlighted` drawn in the highlight colours.
std::string no_game_menu(const std::string& highlighted) {
    const std::vector<std::string> rows = {"", "ARC FUNCTIONS", "Extract Backup ARC Files", "Rebuild ARC File", "",
                                           "MUSIC FUNCTIONS", "Convert Music For Game [music\\]",
                                           "Convert DC Mix [music\\]", "", "MOD FUNCTIONS", "Manage Mods",
                                           "Create Mod File", "", "[QUIT]"};
    const std::vector<std::string> headings = {"ARC FUNCTIONS", "MUSIC FUNCTIONS", "MOD FUNCTIONS"};
    std::string screen = centred_box(kNoGameTitle);
    for (const auto& row : rows) {
        if (row.empty()) {
            screen += "\n";
        } else if (std::find(headings.begin(), headings.end(), row) != headings.end()) {
            screen += " " + row + "\n";
        } else if (row == highlighted) {
            screen += " " + kHighlight + " " + row + " " + kBrightWhiteOnGreen + "\n";
        } else {
            screen += "  " + row + "\n";
        }
    }
    return screen + "\n";
}

class E2EStartup : public PelluxTest {};

TEST_F(E2EStartup, EmptyFolderEndsInTheRedFatalStopNamingTheAliasFile) {
    // The fatal stop waits for a key; the blank ends that wait.
    const auto run = run_pellux(work_dir, " ");
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);

    const std::string message = "\n Unable to locate the necessary file:\n tools\\mvcc_file_names.cfg\n"
                                " Please reinstall the Pellux Mod Manager\n" +
                                std::string(41, '*') + "\n";
    const auto at = run.out.find(message);
    ASSERT_NE(at, std::string::npos) << run.out;
    // The window turns red before the message: a colour sequence with the red background (41).
    const auto colours = last_sgr_codes(run.out.substr(0, at));
    EXPECT_NE(std::find(colours.begin(), colours.end(), 41), colours.end()) << run.out.substr(0, at);
    EXPECT_NE(run.out.find(kTitle, at), std::string::npos);
    EXPECT_NE(run.out.find("Press any key to continue... (Timeout in 99 seconds)"), std::string::npos);
    EXPECT_NE(run.err.find("Error: Could not open config file: config.ini"), std::string::npos) << run.err;
    // No working folder is made before the tools are there.
    EXPECT_FALSE(fs::exists(work_dir / "extract"));
}

TEST_F(E2EStartup, WithoutTheGameShowsTheNoticeAndQuitsFromTheWrappedRow) {
    make_tools(work_dir);
    // Blanks around the key and the value, a comment and an unknown key: all cleaned up by the rewrite.
    write_text(work_dir / "config.ini", "#steam_path=C:\\old\n music_path = C:\\Music  \nextra=1\n");

    // Up from the first entry wraps to "[QUIT]"; Enter chooses it; the blank ends the banner's wait.
    const auto run = run_pellux(work_dir, keys::up + keys::enter + " ");
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);

    EXPECT_EQ(read_text(work_dir / "config.ini"), config_ini("", "C:\\Music", "20"));

    // The screen colours are set once, before the first menu clears the screen.
    const auto first_clear = run.out.find("\x1b[2J");
    ASSERT_NE(first_clear, std::string::npos) << run.out;
    EXPECT_NE(run.out.substr(0, first_clear).find(kBrightWhiteOnGreen), std::string::npos);

    const auto screens = screens_of(run.out);
    ASSERT_EQ(screens.size(), 2u) << run.out;
    EXPECT_EQ(screens[0], no_game_menu("Extract Backup ARC Files"));
    const std::string quit_menu = no_game_menu("[QUIT]");
    ASSERT_EQ(screens[1].substr(0, quit_menu.size()), quit_menu);
    // Below the menu: the banner, then its five-second wait.
    const std::string after = screens[1].substr(quit_menu.size());
    EXPECT_NE(after.find(kTitle), std::string::npos) << after;
    EXPECT_NE(after.find("Press any key to continue... (Timeout in 5 seconds)"), std::string::npos) << after;

    for (const char* folder : {"extract", "backups", "ogg_music", "ogg_music/_random", "mods", "music"}) {
        EXPECT_TRUE(fs::is_directory(work_dir / folder)) << folder;
    }
}

TEST_F(E2EStartup, EscapeInTheMainMenuEndsLikeQuit) {
    make_tools(work_dir);
    const auto run = run_pellux(work_dir, keys::escape + " ");
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    const auto screens = screens_of(run.out);
    ASSERT_EQ(screens.size(), 1u) << run.out;
    const std::string menu = no_game_menu("Extract Backup ARC Files");
    ASSERT_EQ(screens[0].substr(0, menu.size()), menu);
    EXPECT_NE(screens[0].find("Press any key to continue... (Timeout in 5 seconds)", menu.size()), std::string::npos);
}

TEST_F(E2EStartup, EndOfInputBacksOutOfTheProgram) {
    // Keys that run out read as Escape: the menu quits and the banner's wait ends at once.
    make_tools(work_dir);
    const auto started = std::chrono::steady_clock::now();
    const auto run = run_pellux(work_dir, "");
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_NE(run.out.find("[QUIT]"), std::string::npos);
}

TEST_F(E2EStartup, WithTheGameShowsItsEntriesAndTheMissingBackupNotice) {
    make_tools(work_dir);
    const fs::path game = make_game(work_dir);
    write_text(work_dir / "config.ini", "steam_path=" + game.string() + "\n");

    const auto run = run_pellux(work_dir, keys::escape + " ");
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(read_text(work_dir / "config.ini"), config_ini(game.string(), "", "20"));

    std::string menu = centred_box({kTitle});
    menu += "\n ARC FUNCTIONS\n";
    menu += " " + kHighlight + " Extract Steam ARC File " + kBrightWhiteOnBlue + "\n";
    menu += "  Extract Backup ARC Files\n"
            "  Rebuild ARC File\n"
            "\n MUSIC FUNCTIONS\n"
            "  Convert Music For Game [music\\]\n"
            "  Convert DC Mix [music\\]\n"
            "  Copy Already Converted Music To Steam\n"
            "  Copy Random Music To Steam\n"
            "\n MOD FUNCTIONS\n"
            "  Manage Mods\n"
            "  Create Mod File\n"
            "\n OTHER FUNCTIONS\n";
    menu += "  Create Backup Files \x1b[97;101m[NO BACKUPS FOUND]" + kBrightWhiteOnBlue + "\n";
    menu += "  Run Game\n"
            "\n"
            "  [QUIT]\n"
            "\n";
    const auto screens = screens_of(run.out);
    ASSERT_EQ(screens.size(), 1u) << run.out;
    ASSERT_EQ(screens[0].substr(0, menu.size()), menu);
    EXPECT_NE(run.out.substr(0, run.out.find("\x1b[2J")).find(kBrightWhiteOnBlue), std::string::npos);
}

TEST_F(E2EStartup, WithoutFfmpegOneEntryStandsForTheConversions) {
    make_tools(work_dir, {.with_ffmpeg = false});
    const auto run = run_pellux(work_dir, keys::escape + " ");
    ASSERT_FALSE(run.timed_out) << run.out;
    const std::string plain = strip_escapes(run.out);
    EXPECT_NE(plain.find("\n MUSIC FUNCTIONS\n  Convert Music For Game [FFMPEG MISSING]\n\n MOD FUNCTIONS\n"),
              std::string::npos)
        << plain;
    EXPECT_FALSE(fs::exists(work_dir / "music"));
}

}  // namespace
}  // namespace pellux::e2e
