#include "music/music_menus.h"

#include <gmock/gmock.h>

#include <functional>
#include <regex>

#include "app/globals.h"
#include "files/command_runner.h"
#include "files/file_ops.h"
#include "fixtures/music/ffmpeg_fixture.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::keys::down;
using testing::keys::enter;
using testing::keys::escape;

const std::string kMvc2Songs = "game\\nativeDX11x64\\sound\\bgm\\mvc2\\wav\\";

const std::vector<std::string> kTracks = {"S000", "S010", "S020", "S030", "S040", "S050", "S060", "S070",
                                          "S080", "S090", "S0A0", "S0B0", "SELC", "CAPL", "CONT", "HERE",
                                          "MENU", "OPEN", "OVER", "RANK", "STAF", "WINS"};

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

class MusicMenusTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        ffmpeg_found = true;
        game_folder = "game";
        make_folders(converted_music_folder);
    }

    // Stands in for ffmpeg: every input describes itself as a 10-second tone; a conversion writes
    // its output, unless its input names `failing`, when it exits with an error instead.
    void fake_ffmpeg(const std::string& failing = "\x01") {
        set_command_handler([this, failing](const std::string& line) -> std::optional<CommandOutcome> {
            if (line == "pause") return CommandOutcome{};
            if (line.find(" -hide_banner -stats -i ") != std::string::npos) {
                return CommandOutcome{0, "  Duration: 00:00:10.00, bitrate: 1 kb/s\n  Stream #0:0: Audio: mp3, 44100 Hz\n"};
            }
            if (line.find(failing) != std::string::npos) return CommandOutcome{256, ""};
            std::smatch found;
            if (std::regex_search(line, found, std::regex("\"([^\"]*)\" >nul 2>nul$"))) {
                write_file(found[1].str(), "converted " + found[1].str());
            }
            return CommandOutcome{};
        });
    }

    std::vector<std::string> conversion_lines() {
        std::vector<std::string> lines;
        for (const auto& line : commands_ran()) {
            if (line.find(" -y -vn ") != std::string::npos) lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(MusicMenusTest, MissingFfmpegSaysWhereToGetIt) {
    ffmpeg_found = false;
    const std::pair<const char*, std::function<void()>> dialogues[] = {
        {"CONVERT MUSIC", [] { convert_music_menu(music_folder); }},
        {"CONVERT DC MIX", [] { convert_dc_mix_menu(music_folder); }},
    };
    for (const auto& [title, dialogue] : dialogues) {
        set_keys("x");
        const std::string out = output_of(dialogue);
        EXPECT_THAT(out, HasSubstr(title));
        EXPECT_THAT(out, HasSubstr("\n Unable to locate the FFMPEG.exe in the tools folder\n"
                                   " 1. Download ffmpeg download from:\n"
                                   "    https://www.gyan.dev/ffmpeg/builds/\n"
                                   " 2. Place 'ffmpeg.exe' in the 'tools' folder\n"
                                   " 3. Try again\n"));
    }
    EXPECT_TRUE(conversion_lines().empty());
}

TEST_F(MusicMenusTest, EmptyMusicFolderIsReported) {
    const std::pair<std::function<void()>, const char*> dialogues[] = {
        {[] { convert_music_menu(music_folder); },
         " No MP3s found in: music\\\n Place any MP3s into that folder\n"
         " Or setup the config.ini with the location of your music\n"},
        {[] { convert_dc_mix_menu(music_folder); },
         " No DC Mixes found in: music\\\n Place DC Mixes into that folder\n"
         " Or setup the config.ini with the location of your music\n"},
    };
    for (const auto& [dialogue, message] : dialogues) {
        set_keys("x");
        EXPECT_THAT(output_of(dialogue), HasSubstr(message));
    }
}

TEST_F(MusicMenusTest, SingleFileConvertsAtStandardLoudnessAndListsAgain) {
    if (!testing::install_ffmpeg()) GTEST_SKIP() << "no ffmpeg that runs here";
    testing::make_audio("sine=f=440:d=1", "music\\sub\\song.wav");
    set_keys(enter + enter + escape);
    const std::string out = output_of([] { convert_music_menu(music_folder); });

    EXPECT_THAT(out, HasSubstr(" sub\\song.wav "));
    EXPECT_THAT(out, HasSubstr("SELECTED FILE:\n music\\sub\\song.wav\n \n Select Loudness Level?"));
    EXPECT_THAT(out, HasSubstr(" ... CREATING ogg_music\\song.ogg ...\n"));
    EXPECT_THAT(out, Not(HasSubstr("RESTARTING")));
    EXPECT_EQ(count_of(out, "SELECT MP3 TO CONVERT"), 2u);
    const std::string description = testing::describe_audio("ogg_music\\song.ogg");
    EXPECT_THAT(description, HasSubstr("Audio: vorbis, 48000 Hz"));
    EXPECT_EQ(testing::tag_of(description, "LOUNDNESS"), "-13.0");
}

TEST_F(MusicMenusTest, ConvertedFileGoesOverTheChosenSongAndTheCursorStaysOnIt) {
    if (!testing::install_ffmpeg()) GTEST_SKIP() << "no ffmpeg that runs here";
    game_found = true;
    write_file(kMvc2Songs + "s000.sngw", "game song");
    testing::make_audio("sine=f=440:d=1", "music\\a.wav");
    testing::make_audio("sine=f=660:d=1", "music\\b.wav");
    const auto listed = list_files(music_folder, ".*");
    ASSERT_EQ(listed.size(), 2u);
    const std::string second_output = converted_music_folder + stem_of(listed[1].name) + ".ogg";

    // The second file at level 8, over s000.sngw; then, from the list shown again, Enter takes the
    // same file at the standard level and declines the copy.
    set_keys(down + enter + down + down + down + enter + down + enter + "x" + enter + enter + enter + "x" + escape);
    const std::string out = output_of([] { convert_music_menu(music_folder); });

    EXPECT_EQ(count_of(out, " ... CREATING " + second_output + " ...\n"), 2u);
    EXPECT_EQ(count_of(out, " ... RESTARTING ... \n"), 2u);
    EXPECT_THAT(out, HasSubstr(" ... " + second_output + " REPLACED " + kMvc2Songs + "s000.sngw ... \n"));
    // The song holds the level-8 conversion, which loudnorm could only make with a target it accepts.
    const std::string song = testing::describe_audio(kMvc2Songs + "s000.sngw");
    EXPECT_EQ(testing::tag_of(song, "LOUNDNESS"), "-1.0");
    EXPECT_THAT(song, HasSubstr("Audio: vorbis, 48000 Hz"));
    EXPECT_EQ(testing::tag_of(testing::describe_audio(second_output), "LOUNDNESS"), "-13.0");
}

TEST_F(MusicMenusTest, BackFromLoudnessReadsTheListAgainFromTheTop) {
    fake_ffmpeg();
    write_file("music\\a.mp3", "a");
    write_file("music\\b.mp3", "b");
    const auto listed = list_files(music_folder, ".*");
    ASSERT_EQ(listed.size(), 2u);
    set_keys(down + enter + escape + enter + enter + escape);
    const std::string out = output_of([] { convert_music_menu(music_folder); });
    ASSERT_EQ(conversion_lines().size(), 1u);
    EXPECT_THAT(conversion_lines()[0], HasSubstr("-i \"" + listed[0].path + "\""));
    EXPECT_THAT(out, HasSubstr(" ... CREATING ogg_music\\" + stem_of(listed[0].name) + ".ogg ...\n"));
}

TEST_F(MusicMenusTest, FailedConversionEndsTheDialogueWithoutCopying) {
    game_found = true;
    fake_ffmpeg("music\\a.mp3");
    write_file("music\\a.mp3", "a");
    write_file(kMvc2Songs + "s000.sngw", "game song");
    write_file("ogg_music\\a.ogg", "an older conversion");
    set_keys(enter + enter + "x");
    ::testing::internal::CaptureStderr();
    const std::string out = output_of([] { convert_music_menu(music_folder); });
    ::testing::internal::GetCapturedStderr();

    EXPECT_THAT(out, HasSubstr(" ... ERROR: SOMETHING WENT WRONG CONVERTING ...\n ... FILE: music\\a.mp3 ...\n"));
    EXPECT_THAT(out, HasSubstr(" ... DONE ...\n"));
    EXPECT_THAT(out, Not(HasSubstr("COPY OGG TO STEAM")));
    EXPECT_EQ(count_of(out, "SELECT MP3 TO CONVERT"), 1u);
    EXPECT_EQ(read_file(kMvc2Songs + "s000.sngw"), "game song");
    EXPECT_EQ(read_file("ogg_music\\a.ogg"), "an older conversion");
}

TEST_F(MusicMenusTest, DcMixesAreListedUnderTheFolderTheyWereFoundIn) {
    write_file("music\\mixA\\ADX_S000.BIN", "a");
    write_file("music\\mixB\\adx_s000.bin", "b");
    write_file("music\\mixC\\ADX_S010.BIN", "not a mix without its first track");
    write_file("user music\\mixD\\ADX_S000.BIN", "d");
    settings["music_path"] = "user music";
    set_keys(escape);
    const std::string out = output_of([] { convert_dc_mix_menu(music_folder); });

    EXPECT_EQ(count_of(out, "\n FOLDERS IN music\\\n"), 2u);
    EXPECT_EQ(count_of(out, "\n FOLDERS IN user music\n"), 1u);
    EXPECT_THAT(out, HasSubstr("music\\mixA"));
    EXPECT_THAT(out, HasSubstr("music\\mixB"));
    EXPECT_THAT(out, HasSubstr("user music\\mixD"));
    EXPECT_THAT(out, Not(HasSubstr("mixC")));
    EXPECT_THAT(out, HasSubstr("SELECT FOLDER TO CONVERT"));
}

TEST_F(MusicMenusTest, DcMixWithAMissingTrackConvertsAndCopiesTheOthersInOrder) {
    // S010 fails to convert: it is reported and the game keeps its own song.
    fake_ffmpeg("ADX_S010.BIN");
    game_found = true;
    for (const auto& track : kTracks) {
        if (track != "S0B0") write_file("music\\mix1\\ADX_" + track + ".BIN", track);
        write_file(kMvc2Songs + to_lower(track) + ".sngw", "game " + track);
    }
    // The mix (row 1, under its heading), the standard level, copy to the game, the DONE wait.
    set_keys(enter + enter + enter + "x");
    ::testing::internal::CaptureStderr();
    const std::string out = output_of([] { convert_dc_mix_menu(music_folder); });
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("Error: Failed to convert MP3 to OGG.\n"));

    EXPECT_THAT(out, HasSubstr("SELECTED FOLDER:\n mix1\n \n Copy Files to Steam?"));
    std::string expected_progress;
    for (const auto& track : kTracks) {
        if (track == "S0B0") {
            expected_progress += " ... UNABLE TO LOCATE: 'ADX_S0B0.BIN' \n";
        } else if (track == "S010") {
            expected_progress += " ... CONVERTING: 'ADX_S010.BIN' ... \n"
                                 " ... ERROR: SOMETHING WENT WRONG CONVERTING ...\n"
                                 " ... FILE: music\\mix1\\ADX_S010.BIN ...\n";
        } else {
            expected_progress += " ... CONVERTING: 'ADX_" + track + ".BIN' ... \n";
            expected_progress += " ... COPIED CONVERTED 'ADX_" + track + ".BIN' TO STEAM ... \n";
        }
    }
    EXPECT_THAT(out, HasSubstr(expected_progress + " ... DONE ...\n"));
    const auto lines = conversion_lines();
    ASSERT_EQ(lines.size(), kTracks.size() - 1);
    for (std::size_t i = 0, line = 0; i < kTracks.size(); ++i) {
        if (kTracks[i] == "S0B0") continue;
        EXPECT_THAT(lines[line], HasSubstr("-i \"music\\mix1\\ADX_" + kTracks[i] + ".BIN\""));
        EXPECT_THAT(lines[line], HasSubstr("loudnorm=I=-13.0:"));
        EXPECT_THAT(lines[line], HasSubstr("\"ogg_music\\mix1\\ADX_" + kTracks[i] + ".ogg\" >nul 2>nul"));
        ++line;
    }
    EXPECT_EQ(read_file(kMvc2Songs + "s0b0.sngw"), "game S0B0");
    EXPECT_EQ(read_file(kMvc2Songs + "s010.sngw"), "game S010");
    EXPECT_EQ(read_file(kMvc2Songs + "selc.sngw"), read_file("ogg_music\\mix1\\ADX_SELC.ogg"));
    EXPECT_EQ(read_file(kMvc2Songs + "wins.sngw"), read_file("ogg_music\\mix1\\ADX_WINS.ogg"));
}

TEST_F(MusicMenusTest, DcMixTracksBecomeGameMusicThroughRealFfmpeg) {
    if (!testing::install_ffmpeg()) GTEST_SKIP() << "no ffmpeg that runs here";
    game_found = true;
    testing::make_audio("sine=f=440:d=1", "music\\mix1\\ADX_S000.BIN", "-c:a adpcm_adx -f adx");
    copy_file_reporting("music\\mix1\\ADX_S000.BIN", "music\\mix1\\ADX_SELC.BIN", false);
    write_file(kMvc2Songs + "selc.sngw", "game SELC");
    set_keys(enter + enter + enter + "x");
    ::testing::internal::CaptureStderr();
    const std::string out = output_of([] { convert_dc_mix_menu(music_folder); });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    EXPECT_THAT(out, HasSubstr(" ... COPIED CONVERTED 'ADX_SELC.BIN' TO STEAM ... \n"));
    EXPECT_THAT(out, HasSubstr(" ... UNABLE TO LOCATE: 'ADX_S0B0.BIN' \n"));
    EXPECT_EQ(read_file(kMvc2Songs + "selc.sngw"), read_file("ogg_music\\mix1\\ADX_SELC.ogg"));
    const std::string description = testing::describe_audio(kMvc2Songs + "selc.sngw");
    EXPECT_THAT(description, HasSubstr("Audio: vorbis, 48000 Hz"));
    EXPECT_EQ(testing::tag_of(description, "MP3NAME"), "ADX_SELC.BIN");
    EXPECT_EQ(testing::tag_of(description, "LOUNDNESS"), "-13.0");
    EXPECT_EQ(testing::tag_of(description, "LoopEnd"), "47520");
}

TEST_F(MusicMenusTest, DcMixWithoutTheGameAsksNoCopyAndGoesOnAfterAFailedTrack) {
    fake_ffmpeg("ADX_S010.BIN");
    for (const auto& track : kTracks) write_file("music\\mix1\\ADX_" + track + ".BIN", track);
    // The mix, then level 1 (Home in the loudness menu), then the DONE wait.
    set_keys(enter + testing::keys::home + enter + "x");
    ::testing::internal::CaptureStderr();
    const std::string out = output_of([] { convert_dc_mix_menu(music_folder); });
    ::testing::internal::GetCapturedStderr();

    EXPECT_THAT(out, Not(HasSubstr("Copy Files to Steam?")));
    EXPECT_THAT(out, Not(HasSubstr("COPIED")));
    EXPECT_THAT(out, HasSubstr(" ... CONVERTING: 'ADX_S010.BIN' ... \n"
                               " ... ERROR: SOMETHING WENT WRONG CONVERTING ...\n"
                               " ... FILE: music\\mix1\\ADX_S010.BIN ...\n"
                               " ... CONVERTING: 'ADX_S020.BIN' ... \n"));
    const auto lines = conversion_lines();
    ASSERT_EQ(lines.size(), kTracks.size());
    for (const auto& line : lines) EXPECT_THAT(line, HasSubstr("loudnorm=I=-29.0:"));
    EXPECT_TRUE(exists("ogg_music\\mix1\\ADX_WINS.ogg"));
    EXPECT_FALSE(exists("ogg_music\\mix1\\ADX_S010.ogg"));
}

TEST_F(MusicMenusTest, DcMixBackFromAQuestionStartsAgain) {
    fake_ffmpeg();
    game_found = true;
    write_file("music\\mix1\\ADX_S000.BIN", "a");
    // Back from the loudness menu, then back from the copy question, then leave the mix list.
    set_keys(enter + escape + enter + enter + escape + escape);
    const std::string out = output_of([] { convert_dc_mix_menu(music_folder); });
    EXPECT_EQ(count_of(out, "SELECT FOLDER TO CONVERT"), 3u);
    EXPECT_EQ(count_of(out, "Copy Files to Steam?"), 1u);
    EXPECT_TRUE(conversion_lines().empty());
    EXPECT_TRUE(is_folder("ogg_music\\mix1"));
}

}  // namespace
}  // namespace pellux
