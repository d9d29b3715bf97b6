// pellux_demo_game <folder>: writes a small synthetic game folder for demos and end-to-end tests:
// the game's executable name, ARC archives in the stand-in tool's format whose bin folders hold a
// plain IBIS archive and an IBIS/AFS archive, and placeholder music files.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "archives/ibis_codec.h"
#include "console/progress_stream.h"
#include "platform/native_path.h"
#include "standin_format.h"

namespace fs = std::filesystem;

namespace {

bool write_file(const fs::path& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out.fail()) std::cerr << "cannot write " << path.string() << std::endl;
    return !out.fail();
}

// Recognisable, deterministic filler so that a changed byte shows up in a comparison.
std::string filler(const std::string& label, std::size_t size) {
    std::string bytes;
    bytes.reserve(size);
    std::uint32_t state = 2166136261u;
    for (char c : label) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 24));
    }
    return bytes.substr(0, size);
}

struct IbisMembers {
    std::string arc;            // ARC stem, e.g. stage01
    std::string bin;            // IBIS file name inside bin, e.g. stage01.bin
    std::vector<std::size_t> member_sizes;
};

bool make_arc(const fs::path& staging, const fs::path& arc_folder, const IbisMembers& archive,
              const std::vector<std::pair<std::string, std::string>>& other_files) {
    const fs::path tree = staging / archive.arc;
    if (!archive.bin.empty()) {
        const fs::path members = staging / "members" / archive.bin;
        for (std::size_t i = 0; i < archive.member_sizes.size(); ++i) {
            const std::string digits = std::to_string(1000 + i).substr(1);
            if (!write_file(members / ("f" + digits + ".bin"), filler(archive.bin + digits, archive.member_sizes[i])))
                return false;
        }
        std::error_code ec;
        fs::create_directories(tree / "bin", ec);
        const std::string source = pellux::platform::from_native_path(members);
        const std::string target = pellux::platform::from_native_path(tree / "bin" / archive.bin);
        if (!pellux::create_ibis(source, target)) return false;
    }
    for (const auto& [name, bytes] : other_files) {
        if (!write_file(tree / name, bytes)) return false;
    }
    std::string error;
    std::error_code ec;
    fs::create_directories(arc_folder, ec);
    if (!arc_standin::pack_folder(tree, arc_folder / (archive.arc + ".arc"), error)) {
        std::cerr << error << std::endl;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cout << "usage: pellux_demo_game <folder>\n"
                     "Writes a synthetic game folder (demo data, not the real game) for the Pellux Mod Manager.\n";
        return argc == 1 ? 0 : 2;
    }
    pellux::progress_out.mute();
    const fs::path game = argv[1];
    const fs::path arc = game / "nativeDX11x64" / "arc" / "pc";
    const fs::path bgm = game / "nativeDX11x64" / "sound" / "bgm";
    const fs::path staging = game / "demo_staging";

    bool ok = write_file(game / "MarvelVsCapcomFightingCollection.exe", "Pellux demo game: not a real program.\n");
    ok = ok && make_arc(staging, arc, {"stage01", "stage01.bin", {100, 3000, 17}},
                        {{"stage01_info.txt", "Demo stage 01\r\n"}, {"tex/stage01_sky.dds", filler("sky", 4096)}});
    ok = ok && make_arc(staging, arc, {"mvsc2", "mvsc2.bin", {2048, 2049, 500, 12}},
                        {{"mvsc2_readme.txt", "Demo MVSC2 data\r\n"}});
    ok = ok && make_arc(staging, arc, {"ui_common", "", {}},
                        {{"ui/menu_font.bin", filler("font", 1500)}, {"ui/logo.dds", filler("logo", 800)}});

    const std::vector<std::string> mvc2_songs = {"s000", "s010", "s020", "s030", "s040", "s050", "s060",
                                                 "s070", "s080", "s090", "s0a0", "s0b0", "wins", "selc",
                                                 "here", "capl", "cont", "over"};
    const std::vector<std::string> system_songs = {"cyt_ending", "cyt_gallery", "cyt_result", "cyt_select",
                                                   "cyt_title"};
    for (const auto& song : mvc2_songs) {
        ok = ok && write_file(bgm / "mvc2" / "wav" / (song + ".sngw"), "OggS demo " + song + "\n");
    }
    for (const auto& song : system_songs) {
        ok = ok && write_file(bgm / "sys" / "wav" / (song + ".sngw"), "OggS demo " + song + "\n");
    }

    std::error_code ec;
    fs::remove_all(staging, ec);
    if (!ok) {
        std::cerr << "pellux_demo_game: could not write the demo game folder " << game.string() << std::endl;
        return 1;
    }
    std::cout << "Demo game folder written: " << game.string() << std::endl;
    return 0;
}
