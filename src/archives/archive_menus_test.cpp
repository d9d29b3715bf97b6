#include "archives/archive_menus.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "files/command_runner.h"
#include "files/fs_text.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using testing::keys::down;
using testing::keys::enter;
using testing::keys::escape;

const std::string kExtractA05 = "tools\\ARCtool.exe -x -pc -txt -v 7 \"extract\\a05.arc\" 2>&1";
const std::string kRebuildAbc = "tools\\ARCtool.exe -c -pc -txt -v 7 \"extract\\abc\" >NUL 2>&1";

// A game folder and a backup set with more archives than a menu page. The archive tool is stood
// in for: extraction reports a count, a rebuild leaves the archive beside the folder when asked to.
class ArchiveMenusTest : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        game_folder = "game";
        game_found = true;
        for (int i = 0; i < 22; ++i) {
            const std::string name = "a" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".arc";
            write_file("game\\nativeDX11x64\\arc\\pc\\" + name, "game " + name);
            write_file("backups\\s1\\arc\\" + name, "saved " + name);
        }
        // The aliased archive is listed first, so the first row is always a05.arc.
        alias_by_name["a05.arc"] = "Training Stage";
        set_command_handler([this](const std::string& line) -> std::optional<CommandOutcome> {
            if (line.rfind("tools\\ARCtool.exe -x ", 0) == 0) {
                handed_to_tool = read_file("extract\\a05.arc");
                return CommandOutcome{0, "Extracted 3 files\n"};
            }
            if (line.rfind("tools\\ARCtool.exe -c ", 0) == 0) {
                if (rebuild_works) write_file("extract\\abc.arc", "rebuilt abc");
                return CommandOutcome{0, ""};
            }
            return std::nullopt;
        });
    }

    bool ran(const std::string& line) {
        const auto& lines = commands_ran();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::string extract_with_keys(const std::string& mode, const std::string& bytes) {
        set_keys(bytes);
        return output_of([&] { extract_arc_menu(mode); });
    }

    std::string rebuild_with_keys(const std::string& bytes) {
        set_keys(bytes);
        return output_of(rebuild_arc_menu);
    }

    bool rebuild_works = true;
    std::string handed_to_tool;  // the archive copy the tool was asked to extract
};

TEST_F(ArchiveMenusTest, ExtractsTheChosenGameArchive) {
    const std::string screen = extract_with_keys("steam", enter);
    EXPECT_NE(screen.find(app_title), std::string::npos);
    EXPECT_NE(screen.find("EXTRACT STEAM ARC FILES"), std::string::npos);
    EXPECT_NE(screen.find("SELECT ARC FILE TO EXTRACT"), std::string::npos);
    EXPECT_NE(screen.find("a05.arc : Training Stage"), std::string::npos);
    EXPECT_NE(screen.find("[NEXT PAGE]"), std::string::npos);
    EXPECT_EQ(screen.find("Already exists..."), std::string::npos);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_TRUE(ran(kExtractA05));
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\a05.arc"), "game a05.arc");
}

TEST_F(ArchiveMenusTest, ExistingFolderIsDeletedKeptOrLeftAlone) {
    struct AnswerCase {
        const char* name;
        std::string keys;  // after the archive is chosen
        bool old_file_stays;
        bool extracts;
    };
    const AnswerCase cases[] = {
        {"delete", enter, false, true},
        {"ignore", down + enter, true, true},
        {"back", down + down + enter, true, false},
        {"escape", escape, true, false},
    };
    for (const char* mode : {"steam", "backup"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(mode) + " " + c.name);
            write_file("extract\\a05\\old.txt", "from before");
            commands_ran().clear();
            const std::string set_choice = std::string(mode) == "backup" ? enter : "";
            const std::string screen = extract_with_keys(mode, set_choice + enter + c.keys);

            EXPECT_NE(screen.find("extract\\a05 Already exists..."), std::string::npos);
            EXPECT_NE(screen.find("REMOVE EXISTING FOLDER"), std::string::npos);
            EXPECT_NE(screen.find("Delete Existing Folder"), std::string::npos);
            EXPECT_NE(screen.find("Leave Folder There"), std::string::npos);
            EXPECT_EQ(exists("extract\\a05\\old.txt"), c.old_file_stays);
            EXPECT_EQ(ran(kExtractA05), c.extracts);
            EXPECT_EQ(screen.find(" ... DONE ...") != std::string::npos, c.extracts);
            if (c.extracts) {
                EXPECT_EQ(handed_to_tool, std::string(mode) == "backup" ? "saved a05.arc" : "game a05.arc");
            }
            handed_to_tool.clear();
        }
    }
}

TEST_F(ArchiveMenusTest, BackupModeAsksForTheSetFirst) {
    const std::string screen = extract_with_keys("backup", enter + enter);
    EXPECT_NE(screen.find("Choose a backup folder:"), std::string::npos);
    EXPECT_NE(screen.find("EXTRACT BACKUP ARC FILES"), std::string::npos);
    EXPECT_TRUE(ran(kExtractA05));
}

TEST_F(ArchiveMenusTest, LeavingOrFindingNothingExtractsNothing) {
    std::string screen = extract_with_keys("steam", escape);
    EXPECT_EQ(screen.find("DONE"), std::string::npos);

    screen = extract_with_keys("backup", escape);
    EXPECT_EQ(screen.find("DONE"), std::string::npos);

    // An archive named only by dots would be extracted into extract\ itself or beside it.
    remove_tree("game\\nativeDX11x64\\arc\\pc");
    write_file("game\\nativeDX11x64\\arc\\pc\\...arc", "");
    write_file("game\\nativeDX11x64\\arc\\pc\\..arc", "");
    write_file("game\\nativeDX11x64\\arc\\pc\\readme.txt", "");
    screen = extract_with_keys("steam", enter);
    EXPECT_NE(screen.find("No ARC Files found in:"), std::string::npos);
    EXPECT_NE(screen.find(" game\\nativeDX11x64\\arc\\pc\n"), std::string::npos);

    remove_tree("backups");
    screen = extract_with_keys("backup", enter);
    EXPECT_NE(screen.find("No backup folders found in:"), std::string::npos);

    for (const auto& line : commands_ran()) EXPECT_EQ(line.find("ARCtool"), std::string::npos) << line;
}

TEST_F(ArchiveMenusTest, RebuildCopiesIntoTheGameOnlyWhenAsked) {
    struct CopyCase {
        const char* name;
        std::string keys;  // in the copy question
        bool copies;
    };
    const CopyCase cases[] = {{"copy", enter, true}, {"do not copy", down + enter, false}, {"escape", escape, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file("extract\\abc\\data.bin", "members");
        write_file("game\\nativeDX11x64\\arc\\pc\\abc.arc", "game abc");
        commands_ran().clear();
        const std::string screen = rebuild_with_keys(enter + c.keys);
        EXPECT_TRUE(ran(kRebuildAbc));
        EXPECT_NE(screen.find("CREATED FILE abc.arc"), std::string::npos);
        EXPECT_NE(screen.find("COPY FILE TO STEAM"), std::string::npos);
        EXPECT_NE(screen.find("Do Not Copy to Steam"), std::string::npos);
        EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
        EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\abc.arc"), c.copies ? "rebuilt abc" : "game abc");
    }
}

TEST_F(ArchiveMenusTest, RebuildWithoutTheGameOrWithoutAnArchiveAsksNothing) {
    write_file("extract\\abc\\data.bin", "members");
    game_found = false;
    std::string screen = rebuild_with_keys(enter + enter);
    EXPECT_NE(screen.find("REBUILD ARC FILE"), std::string::npos);
    EXPECT_NE(screen.find("SELECT FOLDER TO TURN INTO ARC"), std::string::npos);
    EXPECT_EQ(screen.find("COPY FILE TO STEAM"), std::string::npos);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\a00.arc"), "game a00.arc");
    EXPECT_FALSE(exists("game\\nativeDX11x64\\arc\\pc\\abc.arc"));

    game_found = true;
    rebuild_works = false;
    remove_tree("extract\\abc.arc");
    screen = rebuild_with_keys(enter + enter);
    EXPECT_TRUE(ran(kRebuildAbc));
    EXPECT_EQ(screen.find("COPY FILE TO STEAM"), std::string::npos);
    EXPECT_EQ(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_FALSE(exists("game\\nativeDX11x64\\arc\\pc\\abc.arc"));
}

TEST_F(ArchiveMenusTest, RebuildBackOutOrEmptyExtractFolder) {
    std::string screen = rebuild_with_keys(enter);
    EXPECT_NE(screen.find("No folders found in extract\\"), std::string::npos);
    EXPECT_TRUE(exists("extract"));

    write_file("extract\\abc\\data.bin", "members");
    screen = rebuild_with_keys(escape);
    EXPECT_EQ(screen.find("DONE"), std::string::npos);
    EXPECT_FALSE(ran(kRebuildAbc));
}

// The real stand-in tool: a folder rebuilt and copied into the game, then extracted from the
// game again over the folder it came from, gives back the same files.
class ArchiveMenusRoundTrip : public testing::PelluxTest {};

TEST_F(ArchiveMenusRoundTrip, RebuiltArchiveCopiedIntoTheGameExtractsAgain) {
    const std::string binary = ARC_STANDIN_BINARY;
    ASSERT_FALSE(binary.empty()) << "the stand-in archive tool was not built";
    std::filesystem::create_directories(work_dir / "tools");
    std::filesystem::copy_file(binary, work_dir / "tools" / "ARCtool.exe");
    game_folder = "game";
    game_found = true;
    write_file("game\\nativeDX11x64\\arc\\pc\\stage.arc", "the game's own archive");
    write_file("extract\\stage\\data\\level.dat", "level bytes");

    set_keys(enter + enter);
    ::testing::internal::CaptureStdout();
    rebuild_arc_menu();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\stage.arc"), read_file("extract\\stage.arc"));

    write_file("extract\\stage\\stale.txt", "left over");
    set_keys(enter + enter);  // the archive, then "Delete Existing Folder"
    ::testing::internal::CaptureStdout();
    extract_arc_menu("steam");
    const std::string screen = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_EQ(read_file("extract\\stage\\data\\level.dat"), "level bytes");
    EXPECT_FALSE(exists("extract\\stage\\stale.txt"));
}

class ArchiveListTest : public testing::PelluxTest {};

TEST_F(ArchiveListTest, AliasedArchivesComeFirstWhateverTheirCase) {
    alias_by_name["abc.arc"] = "Training Stage";
    alias_by_name["zz.arc"] = "Last Stage";
    for (const char* name : {"m.arc", "ABC.ARC", "b.Arc", "zz.arc", "notes.txt", "c.arc.info"}) {
        write_file(std::string("arcs\\") + name, "");
    }
    write_file("arcs\\sub.arc\\inner.arc", "");

    const auto entries = list_arc_files("arcs");
    ASSERT_EQ(entries.size(), 4u);
    std::vector<std::string> first_two = {entries[0].label, entries[1].label};
    std::sort(first_two.begin(), first_two.end());
    EXPECT_EQ(first_two, (std::vector<std::string>{"ABC.ARC : Training Stage", "zz.arc : Last Stage"}));
    std::vector<std::string> rest = {entries[2].label, entries[3].label};
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"b.Arc", "m.arc"}));
    for (const auto& entry : entries) EXPECT_EQ(entry.key, "arcs\\" + entry.label.substr(0, entry.label.find(' ')));

    EXPECT_TRUE(list_arc_files("missing\\arcs").empty());
    EXPECT_TRUE(exists("missing\\arcs"));
}

TEST_F(ArchiveListTest, ExtractedFoldersAreLabelledByTheirArchive) {
    alias_by_name["abc.arc"] = "Training Stage";
    write_file("extract\\ABC\\x.bin", "");
    write_file("extract\\zzz\\x.bin", "");
    write_file("extract\\loose.txt", "");

    auto entries = list_extracted_folders("extract\\");
    ASSERT_EQ(entries.size(), 2u);
    std::sort(entries.begin(), entries.end(), [](const MenuEntry& a, const MenuEntry& b) { return a.key < b.key; });
    EXPECT_EQ(entries[0].key, "extract\\ABC");
    EXPECT_EQ(entries[0].label, "ABC : Training Stage");
    EXPECT_EQ(entries[1].key, "extract\\zzz");
    EXPECT_EQ(entries[1].label, "zzz : [UNKNOWN FILE]");
}

}  // namespace
}  // namespace pellux
