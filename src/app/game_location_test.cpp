#include "app/game_location.h"

#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using GameLocationTest = testing::PelluxTest;

TEST_F(GameLocationTest, GameFolderNeedsTheExecutableAndTheDataFolder) {
    write_file("full\\MarvelVsCapcomFightingCollection.exe", "MZ");
    write_file("full\\nativeDX11x64\\arc\\pc\\x.arc", "");
    write_file("exe_only\\MarvelVsCapcomFightingCollection.exe", "MZ");
    write_file("data_only\\nativeDX11x64\\x", "");
    // Either name may be a file or a folder; only its presence counts.
    write_file("as_files\\MarvelVsCapcomFightingCollection.exe", "");
    write_file("as_files\\nativeDX11x64", "");

    struct FolderCase {
        std::string folder;
        bool valid;
    };
    const FolderCase cases[] = {
        {"full", true},
        {"full\\", true},  // the doubled separator is accepted
        {"exe_only", false},
        {"data_only", false},
        {"as_files", true},
        {"missing", false},
        {"", false},
        {std::string("full\0x", 6), false},
        {std::string(5000, 'a'), false},
        {"full\\MarvelVsCapcomFightingCollection.exe", false},
    };
    for (const auto& c : cases) EXPECT_EQ(is_game_folder(c.folder), c.valid) << c.folder.substr(0, 40);
}

TEST_F(GameLocationTest, ValidSettingIsTakenAsItIsWritten) {
    write_file("My Game\\MarvelVsCapcomFightingCollection.exe", "MZ");
    write_file("My Game\\nativeDX11x64\\x", "");
    settings["steam_path"] = "My Game\\";
    ::testing::internal::CaptureStderr();
    decide_game_folder();
    // Steam's record is not consulted at all, so it has nothing to complain about.
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(game_found);
    EXPECT_EQ(game_folder, "My Game\\");
}

}  // namespace
}  // namespace pellux
