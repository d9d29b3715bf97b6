// Behaviour that needs POSIX file-system objects: symbolic links, FIFOs, and a fork-style death
// test that shares the parent's folder, so the parent can inspect what the failed copy left.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

#include "files/file_ops.h"
#include "files/fs_text.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using FileOpsPosixTest = testing::PelluxTest;
using FileOpsPosixDeathTest = testing::PelluxTest;

TEST_F(FileOpsPosixTest, ListingDoesNotFollowLinksToFolders) {
    write_file("f\\real\\a.bin", "");
    write_file("elsewhere\\b.bin", "");
    write_file("elsewhere\\c.bin", "");
    std::filesystem::create_directory_symlink(work_dir / "elsewhere", work_dir / "f" / "linked");
    std::filesystem::create_directory_symlink(work_dir / "f", work_dir / "f" / "loop");
    std::filesystem::create_symlink(work_dir / "elsewhere" / "c.bin", work_dir / "f" / "c_link.bin");

    std::vector<std::string> paths;
    for (const auto& e : list_files("f\\", ".*")) paths.push_back(e.path);
    std::sort(paths.begin(), paths.end());
    // A link to a file counts as the file it leads to.
    EXPECT_EQ(paths, (std::vector<std::string>{"f\\c_link.bin", "f\\real\\a.bin"}));
    EXPECT_EQ(count_folders("f\\"), 3);  // a link to a folder is a folder when counted
}

TEST_F(FileOpsPosixTest, FifoIsNotListedAsAFile) {
    write_file("f\\a.bin", "");
    ASSERT_EQ(mkfifo((work_dir / "f" / "pipe.bin").c_str(), 0600), 0);
    ASSERT_EQ(list_files("f\\", ".*").size(), 1u);
    ASSERT_EQ(list_files_flat("f\\", ".*").size(), 1u);
}

// The replaced file is the user's game file: a copy that fails must leave it exactly as it was.
TEST_F(FileOpsPosixDeathTest, FailedReplacingCopyLeavesTheTargetIntact) {
    const std::string original = std::string("original game archive\0\xff bytes", 30);
    write_file("game\\target.arc", original);
    std::filesystem::create_directories(work_dir / "a_folder");
    ASSERT_EQ(mkfifo((work_dir / "a_pipe").c_str(), 0600), 0);

    const std::string saved_style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "fast");
    write_file("new.arc", "replacement");
    struct FailingCopy {
        std::string source;
        std::string target;
    };
    const FailingCopy cases[] = {
        {"a_folder", "game\\target.arc"},
        {"a_pipe", "game\\target.arc"},
        // A zero byte in the target's name must not let the copy fall through to the real file.
        {"new.arc", std::string("game\\target.arc\0.new", 20)},
    };
    for (const auto& [source, target] : cases) {
        EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), copy_file_reporting(source, target, true)),
                    ::testing::ExitedWithCode(1), "TARGET: game.target.arc")
            << source;
        EXPECT_EQ(read_file("game\\target.arc"), original) << source;
        std::vector<std::string> left;
        for (const auto& entry : folder_entries("game")) left.push_back(entry.name);
        EXPECT_EQ(left, std::vector<std::string>{"target.arc"}) << source;
    }
    GTEST_FLAG_SET(death_test_style, saved_style);
}

// A folder in the target's place goes only when empty; one with content stays where it is, whole.
TEST_F(FileOpsPosixDeathTest, ReplacingCopyOntoAFolderKeepsAFolderWithContent) {
    write_file("new.arc", "replacement");
    std::filesystem::create_directories(work_dir / "game" / "empty.arc");
    copy_file_reporting("new.arc", "game\\empty.arc", true);
    EXPECT_EQ(read_file("game\\empty.arc"), "replacement");

    write_file("game\\full.arc\\user.txt", "mine");
    const std::string saved_style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), copy_file_reporting("new.arc", "game\\full.arc", true)),
                ::testing::ExitedWithCode(1), "SOURCE: new\\.arc\\s+TARGET: game.full\\.arc\\s");
    GTEST_FLAG_SET(death_test_style, saved_style);
    EXPECT_EQ(read_file("game\\full.arc\\user.txt"), "mine");
    std::vector<std::string> left;
    for (const auto& entry : folder_entries("game")) left.push_back(entry.name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"empty.arc", "full.arc"}));
}

}  // namespace
}  // namespace pellux
