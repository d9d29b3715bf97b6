#include "archives/arc_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "archives/alias_table.h"
#include "archives/ibis_codec.h"
#include "console/progress_stream.h"
#include "files/command_runner.h"
#include "support/test_env.h"

namespace pellux {
namespace {

const std::string kExtractLine = "tools\\ARCtool.exe -x -pc -txt -v 7 \"extract\\stage.arc\" 2>&1";
const std::string kRebuildLine = "tools\\ARCtool.exe -c -pc -txt -v 7 \"extract\\stage\" >NUL 2>&1";

std::vector<std::string> tool_lines() {
    std::vector<std::string> lines;
    for (const auto& line : commands_ran()) {
        if (line.rfind("tools\\ARCtool.exe", 0) == 0) lines.push_back(line);
    }
    return lines;
}

class ArcDriver : public testing::PelluxTest {
protected:
    // An IBIS archive built by the codec from numbered members of the given contents.
    std::string ibis_bytes(const std::string& source_name, const std::vector<std::string>& members) {
        const std::string folder = "ibis_src\\" + source_name;
        for (std::size_t i = 0; i < members.size(); ++i) write_file(folder + "\\f00" + std::to_string(i) + ".bin", members[i]);
        progress_out.mute();
        EXPECT_TRUE(create_ibis(folder, "ibis_src\\built"));
        progress_out.unmute();
        return read_file("ibis_src\\built");
    }

    // Stands in for the tool: its extraction writes the given tree and prints the given report.
    void fake_tool(std::vector<std::pair<std::string, std::string>> tree, std::string report) {
        set_command_handler([this, tree, report](const std::string& line) -> std::optional<CommandOutcome> {
            if (line.rfind("tools\\ARCtool.exe -x", 0) == 0) {
                for (const auto& [path, bytes] : tree) write_file(path, bytes);
                write_file("log.txt", "log");
                return CommandOutcome{0, report};
            }
            return CommandOutcome{};
        });
    }
};

TEST_F(ArcDriver, ExtractRunsTheToolAndCleansUp) {
    write_file("game\\stage.arc", "arc bytes");
    fake_tool({}, "ARCtool\nExtracted 52 files\n");
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(extract_arc("game\\stage.arc", "extract\\"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " ... EXTRACTED 52 FILES FROM ARC ...\n");
    EXPECT_EQ(tool_lines(), std::vector<std::string>{kExtractLine});
    EXPECT_FALSE(exists("extract\\stage.arc"));
    EXPECT_FALSE(exists("log.txt"));
    EXPECT_EQ(read_file("game\\stage.arc"), "arc bytes");
}

TEST_F(ArcDriver, ExtractWithoutTheToolsReportFails) {
    write_file("game\\stage.arc", "arc bytes");
    fake_tool({}, "Error: extracted nothing\n");
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(extract_arc("game\\stage.arc", "extract\\"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " ... FAILED TO EXTRACT FILES ...\n");
    EXPECT_EQ(read_file("extract\\stage.arc"), "arc bytes");
}

// Only IBIS archives become member folders; every other file of bin keeps its name and bytes,
// also one that already carries the short-lived name stage.BIN.
TEST_F(ArcDriver, ExtractUnpacksIbisArchivesAndKeepsEveryOtherFile) {
    const std::string foo = ibis_bytes("foo.bin", {"zero", "one"});
    const std::string damaged = "IBIS" + std::string("\x09\0\0\0", 4) + std::string(56, '\0');
    fake_tool({{"extract\\stage\\bin\\foo.bin", foo},
               {"extract\\stage\\bin\\stage.BIN", "not an archive"},
               {"extract\\stage\\bin\\notes.txt", "plain notes"},
               {"extract\\stage\\bin\\damaged.bin", damaged},
               {"extract\\stage\\other.dat", "other"}},
              "Extracted 5 files");
    alias_by_name = {{"stage/f001.bin", "One.bin"}};
    write_file("game\\stage.arc", "arc");
    progress_out.mute();
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(extract_arc("game\\stage.arc", "extract\\"));
    ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(read_file("extract\\stage\\bin\\foo.bin\\F000.BIN"), "zero");
    EXPECT_EQ(read_file("extract\\stage\\bin\\foo.bin\\One.bin"), "one");
    EXPECT_EQ(read_file("extract\\stage\\bin\\stage.BIN"), "not an archive");
    EXPECT_EQ(read_file("extract\\stage\\bin\\notes.txt"), "plain notes");
    EXPECT_EQ(read_file("extract\\stage\\bin\\damaged.bin"), damaged);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work_dir / "extract" / "stage" / "bin")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"damaged.bin", "foo.bin", "notes.txt", "stage.BIN"}));
}

TEST_F(ArcDriver, HalfWrittenMemberFolderIsRemovedAndTheArchiveKept) {
    const std::string foo = ibis_bytes("foo.bin", {"zero", "one"});
    alias_by_name = {{"stage/f001.bin", std::string(300, 'n') + ".bin"}};  // a name no file system takes
    fake_tool({{"extract\\stage\\bin\\foo.bin", foo}}, "Extracted 1 files");
    write_file("game\\stage.arc", "arc");
    progress_out.mute();
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(extract_arc("game\\stage.arc", "extract\\"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("ERROR CREATING FILE"), std::string::npos);
    EXPECT_EQ(read_file("extract\\stage\\bin\\foo.bin"), foo);
}

TEST_F(ArcDriver, RebuildPacksEveryMemberFolderBeforeTheToolRuns) {
    write_file("extract\\stage\\bin\\foo.bin\\f000.bin", "foo zero");
    write_file("extract\\stage\\bin\\bar.bin\\f000.bin", "bar zero");
    write_file("extract\\stage\\bin\\bar.bin\\f001.bin", "bar one");
    write_file("extract\\stage\\bin\\temp.bin", "a real member called temp.bin");
    const std::string foo = ibis_bytes("foo.bin", {"foo zero"});
    const std::string bar = ibis_bytes("bar.bin", {"bar zero", "bar one"});
    bool packed_first = false;
    set_command_handler([&](const std::string& line) -> std::optional<CommandOutcome> {
        if (line == kRebuildLine) {
            packed_first = read_file("extract\\stage\\bin\\foo.bin") == foo &&
                           read_file("extract\\stage\\bin\\bar.bin") == bar;
            write_file("extract\\stage.arc", "new arc");
            write_file("log.txt", "log");
        }
        return CommandOutcome{};
    });
    std::string arc_name;
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(rebuild_arc("extract\\stage", arc_name));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(arc_name, "stage.arc");
    EXPECT_TRUE(packed_first);
    EXPECT_EQ(tool_lines(), std::vector<std::string>{kRebuildLine});
    EXPECT_NE(out.find(" ... BUILDING BINARY FILES FROM 'extract\\stage\\bin\\foo.bin' ...\n"), std::string::npos);
    EXPECT_NE(out.find(" ... BUILDING BINARY FILES FROM 'extract\\stage\\bin\\bar.bin' ...\n"), std::string::npos);
    EXPECT_NE(out.find(" ... BUILDING extract\\stage.arc ...\n"), std::string::npos);
    EXPECT_EQ(read_file("extract\\stage\\bin\\temp.bin"), "a real member called temp.bin");
    EXPECT_FALSE(exists("log.txt"));
}

TEST_F(ArcDriver, RebuildStopsAtTheFirstMemberFolderThatFails) {
    write_file("extract\\stage\\bin\\gap.bin\\f000.bin", "zero");
    write_file("extract\\stage\\bin\\gap.bin\\f002.bin", "two");
    answer_every_command();
    set_keys("\r");
    std::string arc_name = "unchanged";
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(rebuild_arc("extract\\stage", arc_name));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("ERROR: Missing file number:1!"), std::string::npos);
    EXPECT_NE(out.find("REBUILD ARC FILE"), std::string::npos);
    EXPECT_NE(out.find("FAILED TO CREATE BIN file:"), std::string::npos);
    EXPECT_NE(out.find("extract\\stage\\bin\\temp.bin"), std::string::npos);
    EXPECT_TRUE(tool_lines().empty());
    EXPECT_EQ(read_file("extract\\stage\\bin\\gap.bin\\f002.bin"), "two");
    EXPECT_FALSE(exists("extract\\stage\\bin\\temp.bin"));
    EXPECT_EQ(arc_name, "unchanged");
}

// An archive left by an earlier build must not pass for the result of a build that failed.
TEST_F(ArcDriver, RebuildWithoutANewArchiveFailsAndKeepsTheOldOne) {
    write_file("extract\\stage\\data.bin", "data");
    write_file("extract\\stage.arc", "earlier build");
    answer_every_command();
    set_keys("\r");
    std::string arc_name;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(rebuild_arc("extract\\stage", arc_name));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("FAILED TO CREATE ARC FILE:"), std::string::npos);
    EXPECT_NE(out.find("stage.arc"), std::string::npos);
    EXPECT_EQ(read_file("extract\\stage.arc"), "earlier build");
    EXPECT_TRUE(arc_name.empty());
}

}  // namespace
}  // namespace pellux
