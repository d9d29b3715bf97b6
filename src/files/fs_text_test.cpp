#include "files/fs_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_env.h"

namespace pellux {
namespace {

using FsTextTest = testing::PelluxTest;

// The system would read such a text only up to the zero byte, which names another file; here the
// zero follows a separator, so that other file is the whole folder.
TEST_F(FsTextTest, TextWithAZeroByteNamesNoFile) {
    write_file("keep\\a.txt", "a");
    const std::string cut = std::string("keep\\\0x", 7);
    EXPECT_FALSE(path_exists(cut));
    EXPECT_FALSE(is_folder(cut));
    EXPECT_FALSE(is_regular_file(std::string("keep\\a.txt\0", 11)));
    EXPECT_FALSE(file_size_of(std::string("keep\\a.txt\0", 11)));
    EXPECT_FALSE(read_file_bytes(std::string("keep\\a.txt\0", 11)));
    EXPECT_TRUE(folder_entries(cut).empty());
    std::string error;
    EXPECT_FALSE(remove_tree(cut, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(remove_file(std::string("keep\\a.txt\0", 11)));
    EXPECT_FALSE(rename_path(std::string("keep\\a.txt\0", 11), "moved.txt"));
    EXPECT_FALSE(write_file_bytes(std::string("keep\\a.txt\0", 11), "overwritten"));
    EXPECT_FALSE(path_lies_inside(std::string("keep\\a.txt\0", 11), "keep"));
    EXPECT_EQ(read_file("keep\\a.txt"), "a");
}

// A backup set or an extracted folder may hold a link to the game folder; removing the set takes
// the link, never the game's files.
TEST_F(FsTextTest, RemovingATreeLeavesWhatALinkInItPointsAt) {
    write_file("game\\game.txt", "keep");
    write_file("set\\own.txt", "mine");
    std::error_code ec;
    std::filesystem::create_directory_symlink(work_dir / "game", work_dir / "set" / "link", ec);
    if (ec || !std::filesystem::is_symlink(work_dir / "set" / "link", ec)) GTEST_SKIP() << "no folder links here";
    std::string error;
    EXPECT_TRUE(remove_tree("set", &error)) << error;
    EXPECT_FALSE(exists("set"));
    EXPECT_EQ(read_file("game\\game.txt"), "keep");
}

}  // namespace
}  // namespace pellux
