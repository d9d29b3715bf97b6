// The stand-in archive tool driven through the real command runner, as the program drives the
// game's archive tool: its command-line contract, its container and its fault switches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "archives/arc_driver.h"
#include "archives/ibis_codec.h"
#include "console/progress_stream.h"
#include "files/command_runner.h"
#include "platform/native_path.h"
#include "support/test_env.h"

namespace pellux {
namespace {
namespace fs = std::filesystem;

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) { set(value); }
    ~ScopedEnv() { set(nullptr); }

private:
    void set(const char* value) {
#ifdef _WIN32
        _putenv_s(name_, value ? value : "");
#else
        if (value) setenv(name_, value, 1); else unsetenv(name_);
#endif
    }
    const char* name_;
};

class ArcStandin : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        const std::string binary = ARC_STANDIN_BINARY;
        ASSERT_FALSE(binary.empty()) << "the stand-in archive tool was not built";
        fs::create_directories(work_dir / "tools");
        fs::copy_file(binary, work_dir / "tools" / "ARCtool.exe");
        progress_out.mute();
    }

    std::string tool(const std::string& arguments) { return run_command_output("tools\\ARCtool.exe " + arguments); }

    std::vector<std::string> tree(const std::string& folder) {
        std::vector<std::string> paths;
        const fs::path root = platform::to_native_path(folder);
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            paths.push_back(fs::relative(entry.path(), root).generic_string() +
                            (entry.is_directory() ? "/" : ""));
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

TEST_F(ArcStandin, HelpSaysItIsATestTool) {
    for (const char* arguments : {"--help", ""}) {
        const std::string out = tool(arguments);
        EXPECT_NE(out.find("test and demo tool"), std::string::npos) << arguments;
        EXPECT_NE(out.find("does NOT read or write the game's ARC archives"), std::string::npos) << arguments;
    }
}

TEST_F(ArcStandin, RoundTripsATreeByteForByteAndDeterministically) {
    write_file("a\\pack\\top.bin", std::string("\0\x01\xff top", 7));
    write_file("a\\pack\\sub\\deeper\\x.dat", std::string(3 << 20, 'x'));  // several copy blocks
    fs::create_directories(work_dir / "a" / "pack" / "empty");
    write_file("b\\pack\\sub\\deeper\\x.dat", std::string(3 << 20, 'x'));  // same tree, other creation order
    write_file("b\\pack\\top.bin", std::string("\0\x01\xff top", 7));
    fs::create_directories(work_dir / "b" / "pack" / "empty");

    tool("-c -pc -txt -v 7 \"a\\pack\"");
    tool("-c -pc -txt -v 7 \"b\\pack\"");
    ASSERT_TRUE(exists("a\\pack.arc"));
    EXPECT_EQ(read_file("a\\pack.arc"), read_file("b\\pack.arc"));

    fs::rename(work_dir / "a" / "pack", work_dir / "a" / "original");
    const std::string out = tool("-x -pc -txt -v 7 \"a\\pack.arc\"");
    EXPECT_NE(out.find("Extracted 2 files"), std::string::npos) << out;
    EXPECT_TRUE(exists("log.txt"));
    EXPECT_EQ(tree("a\\pack"), tree("a\\original"));
    EXPECT_EQ(read_file("a\\pack\\top.bin"), std::string("\0\x01\xff top", 7));
    EXPECT_EQ(read_file("a\\pack\\sub\\deeper\\x.dat"), std::string(3 << 20, 'x'));
}

TEST_F(ArcStandin, ExtractsOverWhatIsThereRemovingNothing) {
    write_file("pack\\same.txt", "new");
    tool("-c -pc -txt -v 7 \"pack\"");
    write_file("pack\\same.txt", "old");
    write_file("pack\\mine.txt", "keep me");
    tool("-x -pc -txt -v 7 \"pack.arc\"");
    EXPECT_EQ(read_file("pack\\same.txt"), "new");
    EXPECT_EQ(read_file("pack\\mine.txt"), "keep me");
}

TEST_F(ArcStandin, RefusesForeignAndHostileArchives) {
    auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto member = [&](const std::string& path) {
        return std::string(1, '\0') + u32(static_cast<std::uint32_t>(path.size())) + path + u32(1) + u32(0) + "!";
    };
    struct Case {
        const char* label;
        std::string bytes;
    };
    const Case cases[] = {
        {"game archive", "ARC\0" + std::string(60, '\x11')},
        {"parent folder", "PXSTAND1" + u32(1) + member("../escaped.txt")},
        {"absolute path", "PXSTAND1" + u32(1) + member("/tmp/escaped.txt")},
        {"backslash", "PXSTAND1" + u32(1) + member("..\\escaped.txt")},
    };
    for (const auto& c : cases) {
        write_file("in\\hostile.arc", c.bytes);
        const std::string out = tool("-x -pc -txt -v 7 \"in\\hostile.arc\"");
        EXPECT_EQ(out.find("Extracted"), std::string::npos) << c.label << ": " << out;
        EXPECT_NE(out.find("ERROR"), std::string::npos) << c.label;
        EXPECT_FALSE(exists("escaped.txt")) << c.label;
        EXPECT_FALSE(fs::exists("/tmp/escaped.txt")) << c.label;
    }
}

// The whole way through the program's driver: a game ARC file whose bin holds a plain IBIS
// archive named after the ARC file, an IBIS/AFS archive and a file that is no archive at all.
TEST_F(ArcStandin, DriverExtractsAndRebuildsTheSameArchive) {
    write_file("m\\stage01.bin\\f000.bin", "stage zero");
    write_file("m\\stage01.bin\\f001.bin", std::string(5000, 's'));
    write_file("m\\mvsc2.bin\\f000.bin", std::string(2049, 'a'));
    write_file("m\\mvsc2.bin\\f001.bin", "afs one");
    write_file("game\\stage01\\readme.txt", "readme");
    write_file("game\\stage01\\bin\\notes.txt", "not an IBIS archive");
    fs::create_directories(work_dir / "game" / "stage01" / "bin");
    ASSERT_TRUE(create_ibis("m\\stage01.bin", "game\\stage01\\bin\\stage01.bin"));
    ASSERT_TRUE(create_ibis("m\\mvsc2.bin", "game\\stage01\\bin\\mvsc2.bin"));
    std::string arc_name;
    ASSERT_TRUE(rebuild_arc("game\\stage01", arc_name));
    const std::string original = read_file("game\\stage01.arc");

    ASSERT_TRUE(extract_arc("game\\stage01.arc", "extract\\"));
    EXPECT_EQ(read_file("extract\\stage01\\bin\\stage01.bin\\F000.BIN"), "stage zero");
    EXPECT_EQ(read_file("extract\\stage01\\bin\\mvsc2.bin\\F001.BIN"), "afs one");
    EXPECT_EQ(read_file("extract\\stage01\\bin\\notes.txt"), "not an IBIS archive");
    EXPECT_FALSE(exists("extract\\stage01.arc"));
    EXPECT_FALSE(exists("log.txt"));

    ASSERT_TRUE(rebuild_arc("extract\\stage01", arc_name));
    EXPECT_EQ(arc_name, "stage01.arc");
    EXPECT_EQ(read_file("extract\\stage01.arc"), original);
}

TEST_F(ArcStandin, FaultSwitchesReachTheDriver) {
    write_file("game\\stage01\\bin\\stage01.bin\\f000.bin", "zero");
    std::string arc_name;
    ASSERT_TRUE(rebuild_arc("game\\stage01", arc_name));
    set_keys("\r\r\r");
    ::testing::internal::CaptureStdout();
    {
        ScopedEnv fail("ARC_STANDIN_FAIL_EXTRACT", "1");
        EXPECT_FALSE(extract_arc("game\\stage01.arc", "extract\\"));
    }
    {
        ScopedEnv rename("ARC_STANDIN_EXTRACT_AS", "elsewhere");
        ScopedEnv slow("ARC_STANDIN_DELAY_MS", "20");
        EXPECT_TRUE(extract_arc("game\\stage01.arc", "x2\\"));
    }
    {
        ScopedEnv fail("ARC_STANDIN_FAIL_BUILD", "1");
        write_file("fresh\\stage02\\data.txt", "data");
        EXPECT_FALSE(rebuild_arc("fresh\\stage02", arc_name));
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find(" ... FAILED TO EXTRACT FILES ..."), std::string::npos);
    EXPECT_TRUE(exists("extract\\stage01.arc"));
    // Under another name the tree is left as the tool wrote it: its IBIS archive is not unpacked.
    EXPECT_TRUE(fs::is_regular_file(work_dir / "x2" / "elsewhere" / "bin" / "stage01.bin"));
    EXPECT_FALSE(exists("x2\\stage01"));
    EXPECT_NE(out.find("FAILED TO CREATE ARC FILE:"), std::string::npos);
    EXPECT_FALSE(exists("fresh\\stage02.arc"));
}

}  // namespace
}  // namespace pellux
