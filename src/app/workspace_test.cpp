#include "app/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/globals.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

const char* const kRequired[] = {"tools\\mvcc_file_names.cfg", "tools\\ARCtool.exe", "tools\\7za.exe",
                                 "tools\\mvcc_files.json", "tools\\7za.dll"};

const char* const kNotes[] = {
    "extract\\EXTRACTED ARC FILES WILL GO HERE.info",
    "backups\\BACKUP FOLDERS GO HERE.info",
    "ogg_music\\CONVERTED MUSIC GOES HERE.info",
    "ogg_music\\_random\\MUSIC FOR RANDOM SELECTION.info",
    "mods\\MOD FILES WILL GO HERE.info",
};
const char kMusicNote[] = "music\\PLACE MUSIC FILES TO CONVERT HERE.info";

class WorkspaceTest : public testing::PelluxTest {
protected:
    // The fatal stop turns the console red through the command processor; the tests need no console.
    void SetUp() override {
        PelluxTest::SetUp();
        answer_every_command();
    }

    void install_tools(bool with_ffmpeg, const std::string& except = "") {
        for (const char* tool : kRequired) {
            if (tool != except) write_file(tool, "tool");
        }
        if (with_ffmpeg) write_file("tools\\ffmpeg.exe", "tool");
    }

    // Every entry below the working folder with its modification time, to see that nothing changed.
    std::map<std::string, std::filesystem::file_time_type> snapshot() {
        std::map<std::string, std::filesystem::file_time_type> entries;
        for (const auto& e : std::filesystem::recursive_directory_iterator(work_dir)) {
            entries[e.path().string()] = e.last_write_time();
        }
        return entries;
    }
};

TEST_F(WorkspaceTest, FirstStartCreatesTheFoldersWithEmptyNotes) {
    install_tools(true);
    prepare_workspace();
    EXPECT_TRUE(ffmpeg_found);
    for (const char* note : kNotes) {
        EXPECT_TRUE(exists(note)) << note;
        EXPECT_EQ(read_file(note), "") << note;
    }
    EXPECT_TRUE(exists(kMusicNote));
    for (const char* untouched : {"modTmpFolder", "mods_pending", "MOD_FOLDER"}) EXPECT_FALSE(exists(untouched));
}

TEST_F(WorkspaceTest, WithoutFfmpegThereIsNoMusicFolder) {
    install_tools(false);
    prepare_workspace();
    EXPECT_FALSE(ffmpeg_found);
    EXPECT_FALSE(exists("music"));
    for (const char* note : kNotes) EXPECT_TRUE(exists(note)) << note;
}

TEST_F(WorkspaceTest, SecondStartChangesNothingAndRestoresWhatWasDeleted) {
    install_tools(true);
    write_file("mods\\user.mod", "mine");
    prepare_workspace();
    const auto before = snapshot();
    prepare_workspace();
    EXPECT_EQ(snapshot(), before);

    std::filesystem::remove(work_dir / "backups" / "BACKUP FOLDERS GO HERE.info");
    std::filesystem::remove_all(work_dir / "ogg_music");
    prepare_workspace();
    for (const char* note : kNotes) EXPECT_TRUE(exists(note)) << note;
    EXPECT_EQ(read_file("mods\\user.mod"), "mine");
}

struct MissingTools {
    std::vector<std::string> missing;
    std::string named;  // with any one character standing for the backslash
};

// One death test per case: the child process re-runs only its own case.
class MissingToolDeathTest : public WorkspaceTest, public ::testing::WithParamInterface<MissingTools> {};

TEST_P(MissingToolDeathTest, FirstMissingToolIsNamedInTheFatalStop) {
    for (const char* tool : kRequired) {
        const auto& missing = GetParam().missing;
        if (std::find(missing.begin(), missing.end(), tool) == missing.end()) write_file(tool, "tool");
    }
    // Blanks between the lines: "." does not cross a line end in every pattern grammar.
    const std::string lines = "Unable to locate the necessary file:\\s+" + GetParam().named +
                              "\\s+Please reinstall the Pellux Mod Manager";
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), prepare_workspace()), ::testing::ExitedWithCode(1), lines);
}

INSTANTIATE_TEST_SUITE_P(
    RequiredTools, MissingToolDeathTest,
    ::testing::Values(MissingTools{{"tools\\mvcc_file_names.cfg"}, "tools.mvcc_file_names\\.cfg"},
                      MissingTools{{"tools\\ARCtool.exe"}, "tools.ARCtool\\.exe"},
                      MissingTools{{"tools\\7za.exe"}, "tools.7za\\.exe"},
                      MissingTools{{"tools\\mvcc_files.json"}, "tools.mvcc_files\\.json"},
                      MissingTools{{"tools\\7za.dll"}, "tools.7za\\.dll"},
                      // Two missing: only the first in the order of the check is reported.
                      MissingTools{{"tools\\7za.dll", "tools\\7za.exe"}, "tools.7za\\.exe"}));

}  // namespace
}  // namespace pellux
