// Reads against the real registry (wine's, in CI): each test writes the uninstall record with
// reg.exe and removes it afterwards. A record that is there already belongs to a real Steam
// installation and is left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/game_location.h"
#include "app/globals.h"
#include "platform/native_path.h"
#include "platform/registry.h"
#include "support/test_env.h"

namespace pellux::platform {
namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 2634890";
const std::string kRegKey = "\"HKLM\\" + kKey + "\"";

int reg(const std::string& arguments) { return std::system(("reg " + arguments + " >nul 2>nul").c_str()); }

class RegistryWindowsTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        if (reg("query " + kRegKey + " /reg:64") == 0) GTEST_SKIP() << "a real Steam record of the game exists";
        owns_key_ = true;
    }
    void TearDown() override {
        if (owns_key_) reg("delete " + kRegKey + " /f /reg:64");
        PelluxTest::TearDown();
    }

    void add_value(const std::string& type, const std::string& data) {
        ASSERT_EQ(reg("add " + kRegKey + " /v InstallLocation /t " + type + " /d \"" + data + "\" /f /reg:64"), 0);
    }

    bool read(std::string& out, std::string& errors) {
        ::testing::internal::CaptureStderr();
        const bool ok = read_registry_string(RegistryRoot::local_machine, kKey, "InstallLocation", out);
        errors = ::testing::internal::GetCapturedStderr();
        return ok;
    }

    bool owns_key_ = false;
};

TEST_F(RegistryWindowsTest, ReadsStringValues) {
    struct StringCase {
        const char* type;
        std::string data;
    };
    const StringCase cases[] = {
        {"REG_SZ", "C:\\Program Files (x86)\\Steam\\steamapps\\common\\MVCC"},
        {"REG_EXPAND_SZ", "%PELLUX_UNSET_VARIABLE%\\Steam"},  // kept as written, not expanded
        {"REG_SZ", ""},
    };
    for (const auto& c : cases) {
        add_value(c.type, c.data);
        std::string out = "untouched", errors;
        EXPECT_TRUE(read(out, errors)) << c.type;
        EXPECT_EQ(errors, "") << c.type;
        EXPECT_EQ(out, c.data) << c.type;
    }
}

TEST_F(RegistryWindowsTest, ReportsEachFailure) {
    std::string out = "untouched", errors;
    EXPECT_FALSE(read(out, errors));
    EXPECT_EQ(errors, "Failed to open registry key.\n");

    ASSERT_EQ(reg("add " + kRegKey + " /v DisplayName /t REG_SZ /d \"MVCC\" /f /reg:64"), 0);
    EXPECT_FALSE(read(out, errors));
    EXPECT_EQ(errors, "Failed to read registry value.\n");

    add_value("REG_SZ", std::string(600, 'x'));  // longer than the 512-byte buffer
    EXPECT_FALSE(read(out, errors));
    EXPECT_EQ(errors, "Failed to read registry value.\n");

    add_value("REG_DWORD", "42");
    EXPECT_FALSE(read(out, errors));
    EXPECT_EQ(errors, "Invalid value type (not a string).\n");
    EXPECT_EQ(out, "untouched");
}

TEST_F(RegistryWindowsTest, InvalidSettingFallsBackToTheRecordedFolder) {
    write_file("Steam Games\\MVCC\\MarvelVsCapcomFightingCollection.exe", "MZ");
    write_file("Steam Games\\MVCC\\nativeDX11x64\\x", "");
    const std::string recorded = from_native_path(work_dir / "Steam Games" / "MVCC");
    add_value("REG_SZ", recorded);
    settings["steam_path"] = "not the game";
    decide_game_folder();
    EXPECT_TRUE(game_found);
    EXPECT_EQ(game_folder, recorded);
}

}  // namespace
}  // namespace pellux::platform
