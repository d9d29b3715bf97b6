#include "files/file_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "files/command_runner.h"
#include "files/fs_text.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using FileOpsTest = testing::PelluxTest;

// The fatal stop turns the console red through the command processor; the tests need no console.
class FileOpsDeathTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        answer_every_command();
    }
};

// The fatal stop writes to standard output; death tests match the error stream.
void on_error_stream() { std::cout.rdbuf(std::cerr.rdbuf()); }

std::vector<std::string> sorted_paths(const std::vector<FileEntry>& entries) {
    std::vector<std::string> paths;
    for (const auto& e : entries) paths.push_back(e.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST_F(FileOpsTest, FormatsSizesWithTwoDecimalsAndTheLargestFittingUnit) {
    struct SizeCase {
        std::uint64_t bytes;
        const char* text;
    };
    const SizeCase cases[] = {
        {0, "0.00 bytes"},
        {1023, "1023.00 bytes"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048576, "1.00 MB"},
        {1073741824ULL * 3 / 2, "1.50 GB"},
        {1099511627776ULL, "1.00 TB"},
        {1099511627776ULL * 2048, "2048.00 TB"},
        {UINT64_MAX, "16777216.00 TB"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_size(c.bytes), c.text) << c.bytes;
}

TEST_F(FileOpsTest, SanitizesNamesForEveryFileSystem) {
    struct NameCase {
        std::string text;
        std::string name;
    };
    const NameCase cases[] = {
        {"My Mod: v2?", "My Mod_ v2_"},
        {"a\"b*c/d<e>f\\g|h", "a_b_c_d_e_f_g_h"},
        {"tab\there\x7f", "tab_here\x7f"},
        {"caf\xc3\xa9", "caf__"},
        {"CON", "CON_"},
        {"con", "con"},
        {"COM1", "COM1_"},
        {"LPT9", "LPT9_"},
        {"COM10", "COM10"},
        {"CON.txt", "CON.txt"},
        {"..", "__"},
        {".", "_"},
        {"a..b", "a..b"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(sanitize_file_name(c.text), c.name) << c.text;
}

TEST_F(FileOpsTest, LowerCasesOnlyAsciiLetters) {
    EXPECT_EQ(to_lower("ABC xyz_09 [Z]\xc3\x89"), "abc xyz_09 [z]\xc3\x89");
}

TEST_F(FileOpsTest, ListsMatchingFilesInSubFoldersAndSkipsNotes) {
    write_file("mods\\top.mod", "1");
    write_file("mods\\sub\\deep\\x.MOD", "2");
    write_file("mods\\sub\\y.MOD.info", "");
    write_file("mods\\sub\\z.INFO", "");
    write_file("mods\\sub\\notes.txt", "");
    write_file("mods\\sub\\a.mod.bak", "");
    const auto found = list_files("mods\\", ".*\\.mod");
    EXPECT_EQ(sorted_paths(found), (std::vector<std::string>{"mods\\sub\\deep\\x.MOD", "mods\\top.mod"}));
    for (const auto& e : found) EXPECT_EQ(e.name, file_name_of(e.path));

    // The folder's own spelling leads every path; without a trailing backslash one is put between.
    EXPECT_EQ(sorted_paths(list_files("mods", "top\\.mod")), (std::vector<std::string>{"mods\\top.mod"}));
}

TEST_F(FileOpsTest, PatternMustMatchTheWholeName) {
    write_file("f\\song.ogg", "");
    write_file("f\\song.ogg.old", "");
    EXPECT_EQ(sorted_paths(list_files("f\\", "song")), std::vector<std::string>{});
    EXPECT_EQ(sorted_paths(list_files("f\\", "SONG\\.OGG")), (std::vector<std::string>{"f\\song.ogg"}));
}

TEST_F(FileOpsTest, FlatListingStaysInTheFolder) {
    write_file("f\\a.bin", "");
    write_file("f\\b.txt", "");
    write_file("f\\note.info", "");
    write_file("f\\sub\\c.bin", "");
    EXPECT_EQ(sorted_paths(list_files_flat("f\\", ".*")), (std::vector<std::string>{"f\\a.bin", "f\\b.txt"}));
}

TEST_F(FileOpsTest, ListingAMissingFolderCreatesIt) {
    EXPECT_TRUE(list_files("new\\deep\\", ".*").empty());
    EXPECT_TRUE(is_folder("new\\deep"));
    EXPECT_TRUE(list_files_flat("other\\", ".*").empty());
    EXPECT_TRUE(is_folder("other"));
}

TEST_F(FileOpsTest, PatternThatDoesNotCompileMatchesNothing) {
    write_file("f\\a.bin", "");
    EXPECT_TRUE(list_files("f\\", "([").empty());
    EXPECT_TRUE(list_files_flat("f\\", "*bad").empty());
}

TEST_F(FileOpsTest, CountsOnlyTheFoldersDirectlyInside) {
    write_file("backups\\one\\a\\b\\c.arc", "");
    write_file("backups\\two\\x.arc", "");
    write_file("backups\\loose.arc", "");
    EXPECT_EQ(count_folders("backups\\"), 2);
    EXPECT_EQ(count_folders("backups"), 2);
    EXPECT_EQ(count_folders("missing\\"), 0);
    EXPECT_FALSE(exists("missing"));
    EXPECT_EQ(count_folders("backups\\loose.arc"), 0);
}

TEST_F(FileOpsTest, CreatesFolderWithEveryMissingParent) {
    create_folder("a\\b\\c\\");
    EXPECT_TRUE(is_folder("a\\b\\c"));
    create_folder("a\\b\\c\\");  // already there: nothing to do
    EXPECT_TRUE(is_folder("a\\b\\c"));
}

TEST_F(FileOpsDeathTest, FolderThatCannotBeCreatedIsFatal) {
    write_file("blocker", "a file where a folder is wanted");
    EXPECT_EXIT((on_error_stream(), create_folder("blocker\\sub\\")), ::testing::ExitedWithCode(1),
                "ERROR: Failed creating folder: blocker");
}

TEST_F(FileOpsTest, CopiesContentAndReplacesWhenAsked) {
    write_file("src.bin", std::string("new\0content", 11));
    copy_file_reporting("src.bin", "dst.bin", false);
    EXPECT_EQ(read_file("dst.bin"), std::string("new\0content", 11));

    write_file("old.bin", "old content that is longer");
    copy_file_reporting("src.bin", "old.bin", true);
    EXPECT_EQ(read_file("old.bin"), std::string("new\0content", 11));
    EXPECT_EQ(read_file("src.bin"), std::string("new\0content", 11));

    // Copying a file over itself keeps it.
    copy_file_reporting("src.bin", "src.bin", true);
    EXPECT_EQ(read_file("src.bin"), std::string("new\0content", 11));

    const auto left = list_files_flat(".", ".*");
    EXPECT_EQ(sorted_paths(left), (std::vector<std::string>{".\\dst.bin", ".\\old.bin", ".\\src.bin"}));
}

TEST_F(FileOpsDeathTest, CopyStopsOnAMissingSourceOrAnExistingTarget) {
    write_file("there.bin", "keep");
    EXPECT_EXIT((on_error_stream(), copy_file_reporting("absent.bin", "x.bin", true)),
                ::testing::ExitedWithCode(1), "ERROR: Source File does not exist");
    EXPECT_EXIT((on_error_stream(), copy_file_reporting("there.bin", "there.bin", false)),
                ::testing::ExitedWithCode(1), "ERROR: File already exists");
}

TEST_F(FileOpsDeathTest, CopyIntoAMissingFolderReportsTheSystemErrorAndStops) {
    write_file("src.bin", "x");
    EXPECT_EXIT((on_error_stream(), copy_file_reporting("src.bin", "nowhere\\dst.bin", false)),
                ::testing::ExitedWithCode(1),
                "ERROR: .+\\s+SOURCE: src\\.bin\\s+TARGET: nowhere.dst\\.bin\\s+\\*+\\s+ERROR\\s");
}

TEST_F(FileOpsTest, CopiesFilesKeepingTheirPlaceBelowTheBase) {
    write_file("MOD_FOLDER\\nativeDX11x64\\arc\\pc\\a.arc", "A");
    write_file("MOD_FOLDER\\top.txt", "T");
    write_file("outside.txt", "O");
    std::vector<FileEntry> files = {
        {"MOD_FOLDER\\nativeDX11x64\\arc\\pc\\a.arc", "a.arc"},
        {"MOD_FOLDER\\nativeDX11x64", "nativeDX11x64"},  // folders in the list are skipped
        {"outside.txt", "outside.txt"},                  // not below the base: reported, skipped
        {"MOD_FOLDER\\top.txt", "top.txt"},
    };
    ::testing::internal::CaptureStderr();
    copy_files_relative(files, "stage\\", "MOD_FOLDER\\", false);
    const std::string errors = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(read_file("stage\\nativeDX11x64\\arc\\pc\\a.arc"), "A");
    EXPECT_EQ(read_file("stage\\top.txt"), "T");
    EXPECT_FALSE(exists("outside.txt.copy"));
    EXPECT_FALSE(exists("stage\\outside.txt"));
    EXPECT_NE(errors.find("Error calculating relative path: "), std::string::npos);
    EXPECT_EQ(sorted_paths(list_files("stage\\", ".*")),
              (std::vector<std::string>{"stage\\nativeDX11x64\\arc\\pc\\a.arc", "stage\\top.txt"}));
}

TEST_F(FileOpsTest, RelativeCopyReplacesOnlyWhenAsked) {
    write_file("base\\f.txt", "new");
    write_file("target\\f.txt", "old");
    copy_files_relative({{"base\\f.txt", "f.txt"}}, "target\\", "base\\", true);
    EXPECT_EQ(read_file("target\\f.txt"), "new");
}

}  // namespace
}  // namespace pellux
