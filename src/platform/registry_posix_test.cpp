// Steam's records stand in for the registry here: each test builds a small Steam tree under a
// home folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/native_path.h"
#include "platform/registry.h"
#include "support/scoped_home.h"
#include "support/test_env.h"

namespace pellux::platform {
namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 2634890";

std::string manifest(const std::string& installdir_entry) {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"2634890\"\n\t" + installdir_entry + "\n}\n";
}

class RegistryPosixTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        home_ = (work_dir / "home").string();
        std::filesystem::create_directories(home_);
        scoped_home_.emplace(home_);
    }
    void TearDown() override {
        scoped_home_.reset();
        PelluxTest::TearDown();
    }

    // A file below the home folder, given with slashes.
    void put(const std::string& relative, const std::string& bytes) {
        write_file((std::filesystem::path(home_) / relative).string(), bytes);
    }

    bool read(std::string& out, std::string& errors, const std::string& key = kKey,
              const std::string& value = "InstallLocation") {
        ::testing::internal::CaptureStderr();
        const bool ok = read_registry_string(RegistryRoot::local_machine, key, value, out);
        errors = ::testing::internal::GetCapturedStderr();
        return ok;
    }

    std::string home_;
    std::optional<testing::ScopedHome> scoped_home_;
};

TEST_F(RegistryPosixTest, FindsTheGameInALibraryOfTheCurrentListFormat) {
    const std::string library = (work_dir / "games lib").string();
    put(".local/share/Steam/steamapps/libraryfolders.vdf",
        "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home_ +
            "/.local/share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library + "\"\n\t}\n}\n");
    write_file(library + "/steamapps/appmanifest_2634890.acf", manifest("\"installdir\"\t\t\"MVCC\""));
    std::string out, errors;
    ASSERT_TRUE(read(out, errors));
    EXPECT_EQ(errors, "");
    EXPECT_EQ(out, from_native_path(work_dir / "games lib" / "steamapps" / "common" / "MVCC"));
}

TEST_F(RegistryPosixTest, FindsTheGameThroughAnOldListOrInTheRootItself) {
    const std::string library = (work_dir / "old").string();
    put(".steam/steam/steamapps/libraryfolders.vdf",
        "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n\t\"1\"\t\t\"" + library + "\"\n}\n");
    write_file(library + "/steamapps/appmanifest_2634890.acf", manifest("\"InstallDir\" \"Game\""));
    std::string out, errors;
    ASSERT_TRUE(read(out, errors));
    EXPECT_NE(out.find("old\\steamapps\\common\\Game"), std::string::npos) << out;

    std::filesystem::remove_all(library);
    put("snap/steam/common/.local/share/Steam/steamapps/appmanifest_2634890.acf",
        manifest("\"installdir\" \"Snap Game\""));
    ASSERT_TRUE(read(out, errors));
    EXPECT_NE(out.find("snap\\steam\\common\\.local\\share\\Steam\\steamapps\\common\\Snap Game"),
              std::string::npos)
        << out;
}

TEST_F(RegistryPosixTest, ReportsEachKindOfMissingOrBadRecord) {
    struct FailureCase {
        const char* name;
        std::string manifest;  // empty: no manifest at all
        const char* message;
    };
    const FailureCase cases[] = {
        {"no manifest", "", "Failed to open registry key.\n"},
        {"not parseable", "\"AppState\" { \"installdir\" ", "Failed to read registry value.\n"},
        {"no installdir", manifest("\"name\" \"x\""), "Failed to read registry value.\n"},
        {"leads elsewhere", manifest("\"installdir\" \"../../outside\""), "Failed to read registry value.\n"},
        {"installdir is a block", manifest("\"installdir\" { \"a\" \"b\" }"),
         "Invalid value type (not a string).\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(home_);
        put(".steam/root/steamapps/libraryfolders.vdf", "\"libraryfolders\" { }");
        if (!c.manifest.empty()) put(".steam/root/steamapps/appmanifest_2634890.acf", c.manifest);
        std::string out = "untouched", errors;
        EXPECT_FALSE(read(out, errors)) << c.name;
        EXPECT_EQ(errors, c.message) << c.name;
        EXPECT_EQ(out, "untouched") << c.name;
    }
}

TEST_F(RegistryPosixTest, AGoodRecordInAnotherLibraryWinsOverABrokenOne) {
    put(".steam/steam/steamapps/appmanifest_2634890.acf", "not a record {");
    put(".local/share/Steam/steamapps/appmanifest_2634890.acf", manifest("\"installdir\" \"Good\""));
    std::string out, errors;
    ASSERT_TRUE(read(out, errors));
    EXPECT_EQ(errors, "");
    EXPECT_NE(out.find("Steam\\steamapps\\common\\Good"), std::string::npos) << out;
}

TEST_F(RegistryPosixTest, OtherKeysAndValuesAreNotThere) {
    put(".steam/steam/steamapps/appmanifest_2634890.acf", manifest("\"installdir\" \"Game\""));
    std::string out, errors;
    EXPECT_FALSE(read(out, errors, "SOFTWARE\\Other"));
    EXPECT_EQ(errors, "Failed to open registry key.\n");
    EXPECT_FALSE(read(out, errors, kKey, "DisplayName"));
    EXPECT_EQ(errors, "Failed to read registry value.\n");
    unsetenv("HOME");
    EXPECT_FALSE(read(out, errors));
    EXPECT_EQ(errors, "Failed to open registry key.\n");
}

}  // namespace
}  // namespace pellux::platform
