// arc_standin: the stand-in for the game's archive tool, with the same command line, used by the
// tests and the demo game. It only knows its own container format.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "standin_format.h"

namespace fs = std::filesystem;

namespace {

const char* const kHelp =
    "arc_standin - a test and demo tool standing in for the game's archive tool.\n"
    "It does NOT read or write the game's ARC archives: it only knows its own simple\n"
    "container format, so that tests and the demo game can run without the real tool.\n"
    "\n"
    "  arc_standin -x -pc -txt -v 7 \"X.arc\"   unpack X.arc into the folder X beside it\n"
    "  arc_standin -c -pc -txt -v 7 \"D\"       pack the folder D into D.arc beside it\n"
    "\n"
    "Environment switches for tests:\n"
    "  ARC_STANDIN_FAIL_EXTRACT=1   fail every extraction\n"
    "  ARC_STANDIN_FAIL_BUILD=1     fail every build (no archive is made)\n"
    "  ARC_STANDIN_EXTRACT_AS=name  unpack into the folder 'name' beside the archive\n"
    "  ARC_STANDIN_DELAY_MS=n       wait n milliseconds before working\n";

bool switch_on(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && std::string(value) == "1";
}

void write_log(const std::string& text) {
    std::ofstream log("log.txt", std::ios::binary | std::ios::trunc);
    log << text;
}

fs::path without_trailing_separators(std::string text) {
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    return fs::path(text);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string mode;
    std::string target;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::cout << kHelp;
            return 0;
        }
        if (arg == "-x" || arg == "-c") {
            mode = arg;
        } else if (arg == "-v") {
            ++i;  // the version number that follows
        } else if (!arg.empty() && arg[0] == '-') {
            // -pc, -txt and the like select options of the real tool that do not matter here.
        } else {
            target = arg;
        }
    }
    if (mode.empty() || target.empty()) {
        std::cout << kHelp;
        return args.empty() ? 0 : 2;
    }

    if (const char* delay = std::getenv("ARC_STANDIN_DELAY_MS")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::strtol(delay, nullptr, 10)));
    }

    const fs::path path = without_trailing_separators(target);
    std::string error;
    if (mode == "-x") {
        if (switch_on("ARC_STANDIN_FAIL_EXTRACT")) {
            std::cout << "ERROR: extraction failed on request (ARC_STANDIN_FAIL_EXTRACT)" << std::endl;
            return 1;
        }
        fs::path folder = path.parent_path() / path.stem();
        if (const char* name = std::getenv("ARC_STANDIN_EXTRACT_AS"); name != nullptr && *name != '\0') {
            folder = path.parent_path() / name;
        }
        std::uint64_t files = 0;
        if (!arc_standin::unpack_archive(path, folder, files, error)) {
            std::cout << "ERROR: " << error << std::endl;
            return 1;
        }
        std::cout << "Extracted " << files << " files" << std::endl;
        write_log("extract " + path.string() + " -> " + folder.string() + "\nExtracted " + std::to_string(files) +
                  " files\n");
        return 0;
    }

    if (switch_on("ARC_STANDIN_FAIL_BUILD")) {
        std::cout << "ERROR: build failed on request (ARC_STANDIN_FAIL_BUILD)" << std::endl;
        return 1;
    }
    fs::path archive = path;
    archive += ".arc";
    if (!arc_standin::pack_folder(path, archive, error)) {
        std::cout << "ERROR: " << error << std::endl;
        return 1;
    }
    std::cout << "Packed " << path.string() << " into " << archive.string() << std::endl;
    write_log("build " + path.string() + " -> " + archive.string() + "\n");
    return 0;
}
