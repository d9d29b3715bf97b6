#include "music/audio_conversion.h"

#include <gmock/gmock.h>

#include <cmath>

#include "files/command_runner.h"
#include "fixtures/music/ffmpeg_fixture.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class AudioConversionTest : public testing::PelluxTest {
protected:
    // Stands in for ffmpeg: the probe prints the given report, the conversion exits with the
    // given status after leaving some bytes at its output, and "pause" returns at once.
    void fake_ffmpeg(const std::string& report, int status = 0) {
        set_command_handler([this, report, status](const std::string& line) -> std::optional<CommandOutcome> {
            if (line == "pause") return CommandOutcome{};
            if (line.find(" -hide_banner -stats -i ") != std::string::npos) return CommandOutcome{0, report};
            write_file("out.ogg", "partial");
            return CommandOutcome{status, ""};
        });
    }
};

const char kReport[] =
    "Input #0, mp3, from 'music\\song.mp3':\n"
    "  Duration: 00:03:20.00, start: 0.025057, bitrate: 128 kb/s\n"
    "  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n"
    "At least one output file must be specified\n";

TEST_F(AudioConversionTest, BuildsTheProbeAndConversionLinesExactly) {
    fake_ffmpeg(kReport);
    ASSERT_TRUE(convert_to_game_music("music\\song.mp3", "out.ogg", "-13.0"));
    const std::vector<std::string> expected = {
        "tools\\ffmpeg.exe -hide_banner -stats -i \"music\\song.mp3\" 2>&1",
        "tools\\ffmpeg.exe -i \"music\\song.mp3\" -y -vn -c:a libvorbis  -hide_banner -stats -v quiet -ar 48000"
        " -qscale:a 5 -map_metadata -1 -filter:a loudnorm=I=-13.0:LRA=7:TP=-1.5 -metadata Ver=0002"
        " -metadata Time=20231030160041 -metadata LOUNDNESS=-13.0 -metadata MP3NAME=\"song.mp3\""
        " -metadata LoopStart=0  -metadata LoopEnd=9504000 \"out.ogg\" >nul 2>nul",
    };
    EXPECT_EQ(commands_ran(), expected);
}

TEST_F(AudioConversionTest, LoopEndIsNinetyNinePercentOfTheDurationAt48kHz) {
    struct Case {
        const char* duration;
        const char* loop_end;
    };
    const Case cases[] = {
        {"00:03:20.00", "LoopEnd=9504000 "},
        {"01:00:00.50", "LoopEnd=171095760 "},
        {"00:00:00.03", "LoopEnd=1425 "},  // 1425.6: truncated, not rounded
        {"00:00:00.00", "LoopEnd=0 "},
    };
    for (const auto& c : cases) {
        commands_ran().clear();
        fake_ffmpeg(std::string("  Duration: ") + c.duration + ", bitrate: 1 kb/s\n  Stream #0:0: Audio: adx, 22050 Hz\n");
        ASSERT_TRUE(convert_to_game_music("in.mp3", "out.ogg", "-13.0")) << c.duration;
        ASSERT_EQ(commands_ran().size(), 2u);
        EXPECT_THAT(commands_ran()[1], HasSubstr(c.loop_end)) << c.duration;
    }
}

TEST_F(AudioConversionTest, LoudestLevelsAskLoudnormForWhatItAcceptsAndKeepTheChosenTag) {
    struct Case {
        const char* target;
        const char* filter;
    };
    const Case cases[] = {
        {"-29.0", "loudnorm=I=-29.0:"}, {"-25.0", "loudnorm=I=-25.0:"}, {"-21.0", "loudnorm=I=-21.0:"},
        {"-17.0", "loudnorm=I=-17.0:"}, {"-13.0", "loudnorm=I=-13.0:"}, {"-9.0", "loudnorm=I=-9.0:"},
        {"-5.0", "loudnorm=I=-5.0:"},   {"-1.0", "loudnorm=I=-5.0:"},   {"+3.0", "loudnorm=I=-5.0:"},
    };
    ASSERT_EQ(loudness_levels().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(loudness_levels()[i].first, cases[i].target);
        commands_ran().clear();
        fake_ffmpeg(kReport);
        ASSERT_TRUE(convert_to_game_music("in.mp3", "out.ogg", cases[i].target));
        EXPECT_THAT(commands_ran()[1], HasSubstr(cases[i].filter));
        EXPECT_THAT(commands_ran()[1], HasSubstr(std::string(" LOUNDNESS=") + cases[i].target + " "));
    }
    EXPECT_EQ(loudness_levels()[4].second, "5 - Standard Loudness");
}

TEST_F(AudioConversionTest, ReportWithoutDurationOrRateFailsWithItsMessage) {
    struct Case {
        const char* report;
        const char* message;
    };
    const Case cases[] = {
        {"in.mp3: Invalid data found when processing input\n",
         "Error: Could not extract the duration.\nError: Failed to extract file information.\n"},
        {"  Duration: 00:00:05.00, start: 0.000000\n  Stream #0:0: Video: h264\n",
         "Error: Could not extract the sample rate.\nError: Failed to extract file information.\n"},
        // A rate too long for any integer is no rate at all.
        {"  Duration: 00:00:05.00\n  Stream #0:0: Audio: 99999999999999999999 Hz\n",
         "Error: Could not extract the sample rate.\nError: Failed to extract file information.\n"},
    };
    for (const auto& c : cases) {
        commands_ran().clear();
        fake_ffmpeg(c.report);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(convert_to_game_music("in.mp3", "out.ogg", "-13.0"));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message);
        EXPECT_EQ(commands_ran().size(), 1u) << "ffmpeg must not be run a second time";
    }
}

TEST_F(AudioConversionTest, ProbeGivesDurationAndFirstRate) {
    fake_ffmpeg("  Duration: 01:02:03.45, start: 0\n  Stream #0:0: Audio: mp3, 32000 Hz, stereo\n"
                "  Stream #0:1: Audio: mp3, 44100 Hz\n");
    double duration = 0;
    int rate = 0;
    ASSERT_TRUE(probe_audio("in.mp3", duration, rate));
    EXPECT_DOUBLE_EQ(duration, 3723.45);
    EXPECT_EQ(rate, 32000);
}

TEST_F(AudioConversionTest, FailedConversionReportsTheLinePausesAndLeavesItsOutput) {
    fake_ffmpeg(kReport, 256);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(convert_to_game_music("in.mp3", "out.ogg", "-13.0"));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(commands_ran().size(), 3u);
    EXPECT_EQ(errors, "Error: Failed to convert MP3 to OGG.\n" + commands_ran()[1] + "\n");
    EXPECT_EQ(commands_ran()[2], "pause");
    EXPECT_EQ(read_file("out.ogg"), "partial");
}

TEST_F(AudioConversionTest, NameWithDoubleQuoteNeverReachesTheCommandLine) {
    // On POSIX such a name is possible; inside the quoted argument it would pass options of its own.
    const std::string hostile = "music\\a\" -f wav \"..\\..\\stolen.wav";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(convert_to_game_music(hostile, "out.ogg", "-13.0"));
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("Error: Failed to extract file information."));
    fake_ffmpeg(kReport);
    EXPECT_FALSE(convert_to_game_music("in.mp3", "ogg_music\\x\" -f wav \"..\\y.wav", "-13.0"));
    ASSERT_EQ(commands_ran().size(), 1u);
    EXPECT_THAT(commands_ran()[0], HasSubstr("\"in.mp3\""));
}

// The real ffmpeg from here on.
class AudioConversionRealTest : public AudioConversionTest {
protected:
    void SetUp() override {
        AudioConversionTest::SetUp();
        if (!testing::install_ffmpeg()) GTEST_SKIP() << "no ffmpeg that runs here";
    }
};

TEST_F(AudioConversionRealTest, WritesVorbisAt48kHzWithTagsAndTheChosenLoudness) {
    struct Case {
        int input_rate;
        const char* target;
        double expected_lufs;  // levels above -5 LUFS come out at -5, the loudest loudnorm gives
    };
    const Case cases[] = {{44100, "-13.0", -13.0}, {22050, "-29.0", -29.0}, {44100, "+3.0", -5.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string input = "tone_" + std::to_string(c.input_rate) + ".wav";
        testing::make_audio("sine=f=440:d=3:sample_rate=" + std::to_string(c.input_rate), input);
        double duration = 0;
        int rate = 0;
        ASSERT_TRUE(probe_audio(input, duration, rate));
        EXPECT_EQ(rate, c.input_rate);
        EXPECT_DOUBLE_EQ(duration, 3.0);

        ASSERT_TRUE(convert_to_game_music(input, "out.ogg", c.target));
        const std::string description = testing::describe_audio("out.ogg");
        EXPECT_THAT(description, HasSubstr("Audio: vorbis, 48000 Hz"));
        EXPECT_EQ(testing::tag_of(description, "Ver"), "0002");
        EXPECT_EQ(testing::tag_of(description, "Time"), "20231030160041");
        EXPECT_EQ(testing::tag_of(description, "LOUNDNESS"), c.target);
        EXPECT_EQ(testing::tag_of(description, "MP3NAME"), input);
        EXPECT_EQ(testing::tag_of(description, "LoopStart"), "0");
        EXPECT_EQ(testing::tag_of(description, "LoopEnd"), "142560");
        const auto loudness = testing::integrated_loudness("out.ogg");
        ASSERT_TRUE(loudness.has_value());
        EXPECT_NEAR(*loudness, c.expected_lufs, 1.0);
    }
}

TEST_F(AudioConversionRealTest, NonAsciiFileNameArrivesInTheTagAsTheSameLetters) {
    const std::string name = "Canci\xC3\xB3n \xC3\xB1" "and\xC3\xBA.wav";  // "Canción ñandú.wav" in UTF-8
    testing::make_audio("sine=f=440:d=1", "music\\" + name);
    ASSERT_TRUE(exists("music\\" + name));
    ASSERT_TRUE(convert_to_game_music("music\\" + name, "out.ogg", "-13.0"));
    EXPECT_EQ(testing::tag_of(testing::describe_audio("out.ogg"), "MP3NAME"), name);
}

TEST_F(AudioConversionRealTest, InputsFfmpegCannotUseFailWithTheirMessage) {
    write_file("notes.mp3", "these are not audio bytes\n");
    testing::make_audio("color=c=black:s=16x16:d=1", "picture.mkv", "-c:v ffv1");
    struct Case {
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"notes.mp3", "Error: Could not extract the duration.\n"},
        {"missing.mp3", "Error: Could not extract the duration.\n"},
        {"picture.mkv", "Error: Could not extract the sample rate.\n"},
    };
    for (const auto& c : cases) {
        commands_ran().clear();
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(convert_to_game_music(c.input, "out.ogg", "-13.0")) << c.input;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string(c.message) + "Error: Failed to extract file information.\n");
        EXPECT_EQ(commands_ran().size(), 1u);
    }
    EXPECT_FALSE(exists("out.ogg"));
}

TEST_F(AudioConversionRealTest, ConversionThatFfmpegRefusesIsAFailure) {
    testing::make_audio("sine=f=440:d=1", "in.wav");
    set_command_handler([](const std::string& line) -> std::optional<CommandOutcome> {
        if (line == "pause") return CommandOutcome{};
        return std::nullopt;
    });
    // The output's folder does not exist, so ffmpeg cannot write it.
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(convert_to_game_music("in.wav", "absent\\out.ogg", "-13.0"));
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("Error: Failed to convert MP3 to OGG.\n"));
    EXPECT_EQ(commands_ran().back(), "pause");
}

}  // namespace
}  // namespace pellux
