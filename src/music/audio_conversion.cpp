#include "music/audio_conversion.h"

#include <charconv>
#include <cstdint>
#include <iostream>
#include <regex>

#include "app/globals.h"
#include "files/command_runner.h"
#include "files/fs_text.h"

namespace pellux {
namespace {

// loudnorm refuses integrated targets above -5 LUFS, so the two loudest levels are asked of it
// as -5 (the loudest it can give); the file still records the level the user chose.
const std::string kLoudestFilterTarget = "-5.0";

std::string filter_target_for(const std::string& target) {
    if (target == "-1.0" || target == "+3.0") return kLoudestFilterTarget;
    return target;
}

// Windows names cannot hold a double quote, but POSIX names can, and one would end the quoted
// argument early and let the rest of the name pass ffmpeg options of its own.
bool fits_in_quotes(const std::string& text) { return text.find('"') == std::string::npos; }

bool parse_decimal(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

template <typename Int>
bool parse_whole(const std::string& text, Int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& loudness_levels() {
    static const std::vector<std::pair<std::string, std::string>> levels = {
        {"-29.0", "1 - Quietest"}, {"-25.0", "2"}, {"-21.0", "3"},
        {"-17.0", "4"},            {"-13.0", "5 - Standard Loudness"},
        {"-9.0", "6"},             {"-5.0", "7"},  {"-1.0", "8"},
        {"+3.0", "9 - Loudest"},
    };
    return levels;
}

bool probe_audio(const std::string& input, double& duration, int& sample_rate) {
    if (!fits_in_quotes(input)) {
        std::cerr << "Error: A double quote in the file name cannot be passed to ffmpeg: " << input << std::endl;
        return false;
    }
    const std::string report = run_command_output(ffmpeg_tool + " -hide_banner -stats -i " + "\"" + input + "\"");

    static const std::regex duration_pattern(R"(Duration: (\d{2}):(\d{2}):(\d{2}\.\d{2}))");
    std::smatch found;
    int hours = 0;
    int minutes = 0;
    double seconds = 0.0;
    if (!std::regex_search(report, found, duration_pattern) || !parse_whole(found[1].str(), hours) ||
        !parse_whole(found[2].str(), minutes) || !parse_decimal(found[3].str(), seconds)) {
        std::cerr << "Error: Could not extract the duration." << std::endl;
        return false;
    }
    duration = hours * 3600 + minutes * 60 + seconds;

    // A rate too long for an int is no rate ffmpeg reports for audio; it counts as none found.
    static const std::regex rate_pattern(R"((\d+) Hz)");
    int rate = 0;
    if (!std::regex_search(report, found, rate_pattern) || !parse_whole(found[1].str(), rate)) {
        std::cerr << "Error: Could not extract the sample rate." << std::endl;
        return false;
    }
    sample_rate = rate;
    return true;
}

bool convert_to_game_music(const std::string& input, const std::string& output, const std::string& target) {
    double duration = 0.0;
    int sample_rate = 0;
    if (!probe_audio(input, duration, sample_rate)) {
        std::cerr << "Error: Failed to extract file information." << std::endl;
        return false;
    }
    if (!fits_in_quotes(output)) {
        std::cerr << "Error: A double quote in the file name cannot be passed to ffmpeg: " << output << std::endl;
        return false;
    }

    // The game loops over the first 99 % of the track, counted in samples of the 48 kHz output.
    const double loop_samples = 48000 * duration * 0.99;
    const auto loop_end = static_cast<std::int64_t>(loop_samples);

    // On POSIX texts are UTF-8 already; on Windows the command runner widens the whole line from
    // the ANSI code page, so the name reaches ffmpeg (and the tag) as the same letters.
    const std::string line = ffmpeg_tool + " -i " + "\"" + input + "\"" +
                             " -y -vn -c:a libvorbis  -hide_banner -stats -v quiet -ar " + "48000" +
                             " -qscale:a 5 -map_metadata -1 -filter:a loudnorm=I=" + filter_target_for(target) +
                             ":LRA=7:TP=-1.5 -metadata Ver=0002 -metadata Time=20231030160041 -metadata LOUNDNESS=" +
                             target + " -metadata MP3NAME=" + "\"" + file_name_of(input) + "\"" +
                             " -metadata LoopStart=0  -metadata LoopEnd=" + std::to_string(loop_end) + " " + "\"" +
                             output + "\"" + " >nul 2>nul";

    if (run_system(line) != 0) {
        std::cerr << "Error: Failed to convert MP3 to OGG." << std::endl << line << std::endl;
        run_system("pause");
        return false;
    }
    return true;
}

}  // namespace pellux
