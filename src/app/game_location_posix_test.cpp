// The fallback to Steam's record, with a Steam tree under a home folder of the test's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/game_location.h"
#include "app/globals.h"
#include "platform/native_path.h"
#include "support/scoped_home.h"
#include "support/test_env.h"

namespace pellux {
namespace {

class GameLocationPosixTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        home_.emplace((work_dir / "home").string());
    }
    void TearDown() override {
        home_.reset();
        PelluxTest::TearDown();
    }

    // Steam's record of the game, and optionally the game folder it names.
    std::string install_through_steam(bool with_game_files) {
        const std::string library = "home\\.local\\share\\Steam\\";
        write_file(library + "steamapps\\appmanifest_2634890.acf",
                   "\"AppState\"\n{\n\t\"installdir\"\t\t\"MVCC\"\n}\n");
        if (with_game_files) {
            write_file(library + "steamapps\\common\\MVCC\\MarvelVsCapcomFightingCollection.exe", "MZ");
            write_file(library + "steamapps\\common\\MVCC\\nativeDX11x64\\x", "");
        }
        return platform::from_native_path(work_dir / "home" / ".local" / "share" / "Steam" / "steamapps" /
                                          "common" / "MVCC");
    }

    void decide(std::string& errors) {
        ::testing::internal::CaptureStderr();
        decide_game_folder();
        errors = ::testing::internal::GetCapturedStderr();
    }

    std::optional<testing::ScopedHome> home_;
};

TEST_F(GameLocationPosixTest, ValidSettingWinsOverSteamsRecord) {
    install_through_steam(true);
    write_file("mine\\MarvelVsCapcomFightingCollection.exe", "MZ");
    write_file("mine\\nativeDX11x64\\x", "");
    settings["steam_path"] = "mine";
    std::string errors;
    decide(errors);
    EXPECT_TRUE(game_found);
    EXPECT_EQ(game_folder, "mine");
}

TEST_F(GameLocationPosixTest, InvalidSettingFallsBackToSteamsRecordSilently) {
    const std::string recorded = install_through_steam(true);
    write_file("half\\MarvelVsCapcomFightingCollection.exe", "MZ");  // no nativeDX11x64
    for (const std::string setting : {"half", ""}) {
        game_found = false;
        game_folder.clear();
        settings["steam_path"] = setting;
        std::string errors;
        decide(errors);
        EXPECT_EQ(errors, "") << setting;
        EXPECT_TRUE(game_found) << setting;
        EXPECT_EQ(game_folder, recorded) << setting;
    }
}

TEST_F(GameLocationPosixTest, NeitherSourceLeavesTheGameUnfound) {
    struct NeitherCase {
        const char* name;
        bool record;
        const char* errors;
    };
    const NeitherCase cases[] = {
        {"no record", false, "Failed to open registry key.\n"},
        {"record of a folder without the game", true, ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(work_dir / "home");
        if (c.record) install_through_steam(false);
        settings["steam_path"] = "nowhere";
        std::string errors;
        decide(errors);
        EXPECT_EQ(errors, c.errors) << c.name;
        EXPECT_FALSE(game_found) << c.name;
        EXPECT_EQ(game_folder, "") << c.name;
    }
}

}  // namespace
}  // namespace pellux
