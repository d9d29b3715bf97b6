#include "music/music_placement.h"

#include <gmock/gmock.h>

#include <regex>
#include <set>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "files/fs_text.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::keys::down;
using testing::keys::enter;

const std::string kBgm = "game\\nativeDX11x64\\sound\\bgm\\";

// Every song random placement can replace, in the order of the "all" mode.
const std::vector<std::string> kAllSongs = {
    "mvc2\\wav\\s000.sngw",       "mvc2\\wav\\s010.sngw",        "mvc2\\wav\\s020.sngw",
    "mvc2\\wav\\s030.sngw",       "mvc2\\wav\\s040.sngw",        "mvc2\\wav\\s050.sngw",
    "mvc2\\wav\\s060.sngw",       "mvc2\\wav\\s070.sngw",        "mvc2\\wav\\s080.sngw",
    "mvc2\\wav\\s090.sngw",       "mvc2\\wav\\s0a0.sngw",        "mvc2\\wav\\s0b0.sngw",
    "mvc2\\wav\\wins.sngw",       "mvc2\\wav\\selc.sngw",        "mvc2\\wav\\here.sngw",
    "mvc2\\wav\\capl.sngw",       "mvc2\\wav\\cont.sngw",        "mvc2\\wav\\over.sngw",
    "sys\\wav\\cyt_ending.sngw",  "sys\\wav\\cyt_gallery.sngw",  "sys\\wav\\cyt_result.sngw",
    "sys\\wav\\cyt_select.sngw",  "sys\\wav\\cyt_title.sngw",
};

class MusicPlacementTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        game_folder = "game";
        game_found = true;
    }

    void make_game_songs() {
        for (const auto& song : kAllSongs) write_file(kBgm + song, "game " + song);
    }
};

TEST_F(MusicPlacementTest, RandomModesFillEveryTargetInCyclesOfDistinctFiles) {
    struct Case {
        int files;
        int mode_row;
        std::size_t first;  // the range of kAllSongs the mode fills, in the mode's order
        std::size_t count;
    };
    const Case cases[] = {
        {1, 0, 0, 23},   // "all": stages, other MVC2 songs, system songs
        {5, 1, 18, 5},   // "all_sys"
        {7, 3, 0, 11},   // "mvc2_stages": a cycle of seven, then four of a second cycle
        {5, 2, 0, 18},   // "all_mvc2"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("files " + std::to_string(c.files) + ", mode row " + std::to_string(c.mode_row));
        make_game_songs();
        remove_tree(random_music_folder);
        std::set<std::string> contents;
        for (int i = 0; i < c.files; ++i) {
            const std::string content = "random " + std::to_string(i);
            write_file(random_music_folder + "r" + std::to_string(i) + ".ogg", content);
            contents.insert(content);
        }
        write_file(random_music_folder + "sub\\deep.ogg", "from a sub-folder");
        write_file(random_music_folder + "cover.jpg", "not music");

        std::string script;
        for (int i = 0; i < c.mode_row; ++i) script += down;
        set_keys(script + enter + "x");
        const std::string out = output_of(copy_random_music);
        EXPECT_THAT(out, HasSubstr("FOUND: [" + std::to_string(c.files) + "] Random Files(s)"));

        std::vector<std::size_t> order;
        for (std::size_t i = c.first; i < c.first + c.count; ++i) order.push_back(i);
        std::vector<std::string> received;
        for (std::size_t i : order) received.push_back(read_file(kBgm + kAllSongs[i]));
        for (std::size_t i = 0; i < received.size(); i += c.files) {
            std::set<std::string> cycle;
            for (std::size_t j = i; j < std::min(received.size(), i + c.files); ++j) {
                EXPECT_TRUE(contents.count(received[j])) << kAllSongs[order[j]] << " got " << received[j];
                cycle.insert(received[j]);
            }
            EXPECT_EQ(cycle.size(), std::min<std::size_t>(c.files, received.size() - i)) << "cycle at " << i;
        }
        for (std::size_t i = 0; i < kAllSongs.size(); ++i) {
            if (std::find(order.begin(), order.end(), i) == order.end()) {
                EXPECT_EQ(read_file(kBgm + kAllSongs[i]), "game " + kAllSongs[i]);
            }
        }
        std::size_t song_lines = 0;
        const std::regex song_line("SONG: (\\S+) -> ogg_music\\\\_random\\\\r\\d\\.ogg\\n");
        for (auto it = std::sregex_iterator(out.begin(), out.end(), song_line); it != std::sregex_iterator(); ++it) {
            EXPECT_EQ((*it)[1].str(), kAllSongs[order[song_lines]]);
            ++song_lines;
        }
        EXPECT_EQ(song_lines, order.size());
        EXPECT_THAT(out, HasSubstr(" ... DONE ..."));
    }
}

TEST_F(MusicPlacementTest, DrawReachesEveryFileOfALargeFolderInCycles) {
    // More files than the C library's rand() can count: every number still comes, once a cycle.
    const std::size_t files = 70000;
    const auto drawn = draw_file_numbers(files, 2 * files + 3, 12345);
    ASSERT_EQ(drawn.size(), 2 * files + 3);
    for (std::size_t cycle = 0; cycle < 2; ++cycle) {
        std::vector<bool> seen(files, false);
        for (std::size_t i = cycle * files; i < (cycle + 1) * files; ++i) {
            ASSERT_LT(drawn[i], files);
            ASSERT_FALSE(seen[drawn[i]]) << "number " << drawn[i] << " twice in cycle " << cycle;
            seen[drawn[i]] = true;
        }
    }
    EXPECT_EQ(std::set<std::size_t>(drawn.end() - 3, drawn.end()).size(), 3u);
    EXPECT_EQ(draw_file_numbers(1, 23, 7), std::vector<std::size_t>(23, 0));
    EXPECT_TRUE(draw_file_numbers(0, 23, 7).empty());
}

TEST_F(MusicPlacementTest, RandomSongLineShowsTheTargetsAlias) {
    make_game_songs();
    write_file(random_music_folder + "only.sngw", "mine");
    alias_by_name["cyt_title.sngw"] = "Title Theme";
    set_keys(down + enter + "x");
    const std::string out = output_of(copy_random_music);
    EXPECT_THAT(out, HasSubstr("SONG: sys\\wav\\cyt_title.sngw : Title Theme -> ogg_music\\_random\\only.sngw\n"));
}

TEST_F(MusicPlacementTest, RandomWithoutFilesSaysWhereToPutThemAndMakesTheFolder) {
    set_keys("x");
    const std::string out = output_of(copy_random_music);
    EXPECT_THAT(out, HasSubstr(" No OGG/sngw files found in:\n ogg_music\\_random\\\n"
                               " Copy any converted Files to this folder\n"));
    EXPECT_TRUE(is_folder(random_music_folder));
}

TEST_F(MusicPlacementTest, RandomBackLeavesTheSongsAlone) {
    make_game_songs();
    write_file(random_music_folder + "a.ogg", "a");
    set_keys(testing::keys::escape);
    output_of(copy_random_music);
    for (const auto& song : kAllSongs) EXPECT_EQ(read_file(kBgm + song), "game " + song);
}

TEST_F(MusicPlacementTest, ChosenSongIsReplacedAndNoOtherIsTouched) {
    make_game_songs();
    write_file("ogg_music\\new.ogg", "converted");
    alias_by_name["s000.sngw"] = "Stage Theme";
    num_menu_items = 40;  // both groups on one page
    // Row 0 declines, row 1 is the MVC2 heading: Down twice lands on the second listed song.
    set_keys(down + down + enter);
    const std::string out = output_of([] { copy_ogg_to_game("ogg_music\\new.ogg"); });

    EXPECT_THAT(out, HasSubstr("COPY OGG TO STEAM"));
    EXPECT_THAT(out, HasSubstr("Do Not Copy to Steam \x1b"));  // highlighted: the cursor starts on it
    ASSERT_NE(out.find("\n MVC2 SONGS\n"), std::string::npos);
    ASSERT_NE(out.find("\n SYSTEM SONGS\n"), std::string::npos);
    EXPECT_GT(out.find("\n SYSTEM SONGS\n"), out.find("\n MVC2 SONGS\n"));
    EXPECT_THAT(out, HasSubstr("s000.sngw : Stage Theme"));
    std::smatch found;
    ASSERT_TRUE(std::regex_search(out, found, std::regex(R"( \.\.\. ogg_music\\new\.ogg REPLACED (\S+) \.\.\. \n)")));
    const std::string chosen = found[1].str();
    EXPECT_EQ(parent_of(chosen), "game\\nativeDX11x64\\sound\\bgm\\mvc2\\wav");
    int replaced = 0;
    for (const auto& song : kAllSongs) {
        const std::string content = read_file(kBgm + song);
        if (kBgm + song == chosen) {
            EXPECT_EQ(content, "converted");
            ++replaced;
        } else {
            EXPECT_EQ(content, "game " + song);
        }
    }
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(read_file("ogg_music\\new.ogg"), "converted");
}

TEST_F(MusicPlacementTest, CursorStartsOnDoNotCopy) {
    make_game_songs();
    write_file("ogg_music\\new.ogg", "converted");
    set_keys(enter);
    const std::string out = output_of([] { copy_ogg_to_game("ogg_music\\new.ogg"); });
    EXPECT_THAT(out, Not(HasSubstr("REPLACED")));
    for (const auto& song : kAllSongs) EXPECT_EQ(read_file(kBgm + song), "game " + song);
}

TEST_F(MusicPlacementTest, EmptyGameMusicFoldersHaveNoTargets) {
    set_keys("x");
    const std::string out = output_of([] { copy_ogg_to_game("ogg_music\\new.ogg"); });
    EXPECT_THAT(out, HasSubstr(" No Steam target files found!\n"));
    EXPECT_TRUE(is_folder(kBgm + "mvc2\\wav"));
    EXPECT_TRUE(is_folder(kBgm + "sys\\wav"));
}

TEST_F(MusicPlacementTest, ConvertedMusicListsSubFoldersWithTheirOwnFolderName) {
    make_game_songs();
    write_file("ogg_music\\mix\\ADX_S000.ogg", "mix track");
    write_file("ogg_music\\other.mp3", "not offered");
    // The only file, then in the target menu the first MVC2 song; then the DONE wait.
    set_keys(std::string(enter) + down + down + enter + "x");
    const std::string out = output_of([] { copy_converted_music(converted_music_folder); });
    EXPECT_THAT(out, HasSubstr("SELECT FILE TO COPY"));
    EXPECT_THAT(out, HasSubstr("mix\\ADX_S000.ogg"));
    EXPECT_THAT(out, Not(HasSubstr("other.mp3")));
    EXPECT_THAT(out, HasSubstr(" ... ogg_music\\mix\\ADX_S000.ogg REPLACED "));
    EXPECT_THAT(out, HasSubstr(" ... DONE ..."));
}

TEST_F(MusicPlacementTest, ConvertedMusicPausesAlsoWhenTheCopyIsDeclined) {
    make_game_songs();
    write_file("ogg_music\\a.ogg", "a");
    set_keys(enter + enter + "x");
    const std::string out = output_of([] { copy_converted_music(converted_music_folder); });
    EXPECT_THAT(out, HasSubstr("ogg_music\\a.ogg"));
    EXPECT_THAT(out, Not(HasSubstr("REPLACED")));
    EXPECT_THAT(out, HasSubstr(" ... DONE ..."));
}

TEST_F(MusicPlacementTest, ConvertedMusicWithoutFilesSaysSo) {
    set_keys("x");
    const std::string out = output_of([] { copy_converted_music(converted_music_folder); });
    EXPECT_THAT(out, HasSubstr(" No ogg/sngw files found in: ogg_music\\\n"));
}

}  // namespace
}  // namespace pellux
